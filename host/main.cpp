// Ironbell's entry point.
#include <cstdio>

int main(int, char**) {
    std::fprintf(stderr, "Ironbell: the host shell is not built yet; nothing to run.\n");
    return 1;
}
