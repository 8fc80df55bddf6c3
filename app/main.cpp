// The client: starts the platform layer and runs the program's windows.
#include <cstdio>

int main() {
    std::fputs("qitai: the client's windows are being built\n", stderr);
    return 255;
}
