// The window comes with the main-window work.
int main() { return 0; }
