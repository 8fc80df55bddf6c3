// qitai-admin: creates and fills the stores, runs a statement for an administrator.
#include <cstdio>

int main() {
    std::fputs("usage: qitai-admin init|demo|local|query (being built)\n", stderr);
    return 2;
}
