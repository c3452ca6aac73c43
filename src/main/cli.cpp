// Command-line tool over the device library; its commands are added with the
// library work. Until then it only reports its usage.
#include <cstdio>

int main() {
    std::fputs("usage: tolvaro-cli COMMAND ...\n", stderr);
    return 2;
}
