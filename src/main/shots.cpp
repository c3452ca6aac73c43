// The program entry; the Qt host and the main window are wired in next.
int main() {
    return 0;
}
