// vconv: the command-line front end. Each subcommand lives in its own file.
#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("vconv %s\n", VC_VERSION);
        return 0;
    }
    std::fprintf(stderr, "usage: vconv --version\n");
    return 2;
}
