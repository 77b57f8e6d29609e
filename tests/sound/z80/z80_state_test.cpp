// Register-state access, save hooks and the device framework's shapes.
#include <gtest/gtest.h>

#include <stdexcept>

#include "sound/z80/z80_disasm.h"
#include "tests/sound/z80/z80_fixture.h"

namespace {

using namespace z80test;
using orbs::device_state_entry;

std::string fatal_text(const std::function<void()>& call) {
    try {
        call();
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return "(no error)";
}

TEST(Z80State, FlagsExportImportAndText) {
    z80_machine m;
    orbs::z80_device::lo(m.cpu.af) = 0x44;
    m.cpu.state_import(device_state_entry{3});
    orbs::z80_device::lo(m.cpu.af) = 0;
    m.cpu.state_export(device_state_entry{3});
    EXPECT_EQ(orbs::z80_device::lo(m.cpu.af), 0x44);
    std::string text = "unchanged";
    m.cpu.state_string_export(device_state_entry{-3}, text);
    EXPECT_EQ(text, ".Z...P..");
    m.cpu.flag_s = m.cpu.flag_z = m.cpu.flag_xy = m.cpu.flag_h = m.cpu.flag_pv = m.cpu.flag_n = m.cpu.flag_c =
        0;
    m.cpu.state_string_export(device_state_entry{-3}, text);
    EXPECT_EQ(text, ".Z...P..");
    m.cpu.set_f(0xFF);
    m.cpu.state_string_export(device_state_entry{-3}, text);
    EXPECT_EQ(text, "SZYHXPNC");
    m.cpu.state_string_export(device_state_entry{3}, text);
    EXPECT_EQ(text, "SZYHXPNC") << "other indices leave the text alone";
}

TEST(Z80State, RAndIExchangeWord) {
    z80_machine m;
    m.cpu.r = 0x7F, m.cpu.r2 = 0x80, m.cpu.i = 0x12;
    m.cpu.state_export(device_state_entry{20});
    EXPECT_EQ(m.cpu.state_ir, 0x12FF);
    m.cpu.state_ir = 0x3481;
    m.cpu.state_import(device_state_entry{20});
    EXPECT_EQ(m.cpu.r, 0x01);
    EXPECT_EQ(m.cpu.r2, 0x80);
    EXPECT_EQ(m.cpu.i, 0x12);
    m.cpu.state_import(device_state_entry{31});
    EXPECT_EQ(m.cpu.i, 0x34);
}

TEST(Z80State, WritingPcAbandonsTheSuspendedInstruction) {
    z80_machine m;
    m.load(0, {0x3A, 0x00, 0x40});
    m.load(0x0200, {0x3C});
    m.run(5);
    ASSERT_NE(m.cpu.exec_state, orbs::z80_device::BETWEEN_INSTRUCTIONS);
    m.cpu.pending_events |= orbs::z80_device::EVENT_AFTER_EI;
    m.cpu.pc = 0x0200;
    m.cpu.state_import(device_state_entry{-1});
    EXPECT_EQ(m.cpu.exec_state, orbs::z80_device::BETWEEN_INSTRUCTIONS);
    EXPECT_EQ(m.cpu.instruction_pc, 0x0200);
    EXPECT_FALSE(m.cpu.pending_events & orbs::z80_device::EVENT_AFTER_EI);
    m.run(5);
    EXPECT_EQ(m.cpu.A(), 1);

    m.cpu.instruction_pc = 0x0000;
    m.cpu.state_import(device_state_entry{-2});
    EXPECT_EQ(m.cpu.pc, 0x0000);
}

TEST(Z80State, UnexpectedIndicesAreFatal) {
    z80_machine m;
    const std::string exp = "CPU_EXPORT_STATE() called for unexpected value\n";
    const std::string imp = "CPU_IMPORT_STATE() called for unexpected value\n";
    for (int index : {-1, -2, -3, 0, 4, 99})
        EXPECT_EQ(fatal_text([&] { m.cpu.state_export(device_state_entry{index}); }), exp) << index;
    for (int index : {-3, 0, 4, 99})
        EXPECT_EQ(fatal_text([&] { m.cpu.state_import(device_state_entry{index}); }), imp) << index;
}

TEST(Z80State, SaveHooksMaterialiseAndSpreadF) {
    z80_machine m;
    m.cpu.set_f(0xA5);
    m.cpu.device_pre_save();
    EXPECT_EQ(orbs::z80_device::lo(m.cpu.af), 0xA5);
    orbs::z80_device::lo(m.cpu.af) = 0x5A;
    m.cpu.device_post_load();
    EXPECT_EQ(m.cpu.get_f(), 0x5A);
}

TEST(DeviceFramework, FatalErrorCutsLongTexts) {
    std::string long_text(600, 'x');
    std::string got = fatal_text([&] { orbs::fatalerror("%s", long_text.c_str()); });
    EXPECT_EQ(got, std::string(511, 'x'));
}

TEST(DeviceFramework, Z80Shape) {
    orbs::sound_cpu cpu(orbs::g_machine_config, "audiocpu", nullptr, 8'053'975);
    EXPECT_EQ(cpu.clock, 8'053'975u);
    EXPECT_TRUE(cpu.execute_input_edge_triggered(32));
    for (int line : {0, 1, 2}) EXPECT_FALSE(cpu.execute_input_edge_triggered(line));
    for (int line : {0, 1, 2, 32}) EXPECT_EQ(cpu.execute_default_irq_vector(line), 0xFFu);
    EXPECT_EQ(cpu.execute_max_cycles(), 16u);
    EXPECT_EQ(cpu.execute_min_cycles(), 1u);
    EXPECT_TRUE(cpu.cpu_is_interruptible());
    auto spaces = cpu.memory_space_config();
    ASSERT_EQ(spaces.size(), 2u);
    EXPECT_EQ(spaces[0].first, 0);
    EXPECT_EQ(spaces[1].first, 2);
    auto a = cpu.create_disassembler(), b = cpu.create_disassembler();
    ASSERT_TRUE(a && b);
    EXPECT_NE(a.get(), b.get());
    EXPECT_NE(dynamic_cast<orbs::z80_disassembler*>(a.get()), nullptr);
    EXPECT_EQ(cpu.cycles, &cpu.fallback_cycles);
    cpu.device_start();
    EXPECT_EQ(cpu.cycles, &cpu.cycle_budget);
}

TEST(DeviceFramework, EmptySpaceFunctionsThrowAndEmptyCallbacksAreSkipped) {
    orbs::z80_device cpu(orbs::g_machine_config, "z80", nullptr, 1);
    cpu.device_start();
    cpu.device_reset();
    cpu.cycle_budget = 10;
    EXPECT_THROW(cpu.execute_run(), std::bad_function_call);
}

struct plain_cpu : orbs::cpu_device {
    plain_cpu() : cpu_device(orbs::g_machine_config, "plain", "tag", nullptr, 1) {}
    void execute_run() override {}
    std::vector<std::pair<int, const orbs::space_config*>> memory_space_config() const override { return {}; }
};

TEST(DeviceFramework, CpuDefaults) {
    plain_cpu cpu;
    EXPECT_FALSE(cpu.create_disassembler());
    EXPECT_EQ(cpu.execute_max_cycles(), 1u);
    EXPECT_FALSE(cpu.cpu_is_interruptible());
}

}  // namespace
