#include <iostream>
#include <string_view>

namespace {

constexpr std::string_view kUsage =
    "Usage: curvana-cli [--help] [--version]\n"
    "\n"
    "Curvana digitizes plotted graphs: it turns the markers laid on a picture of a plot into data values.\n"
    "This tool works on Curvana's files without opening a window.\n"
    "\n"
    "Options:\n"
    "  --help       show this text and exit\n"
    "  --version    show the program's version and exit\n";

}  // namespace

int main(int argc, char* argv[]) {
    if (argc == 2 && std::string_view(argv[1]) == "--help") {
        std::cout << kUsage;
        return 0;
    }
    if (argc == 2 && std::string_view(argv[1]) == "--version") {
        std::cout << "curvana-cli " << CURVANA_VERSION << "\n";
        return 0;
    }
    std::cerr << kUsage;
    return 2;
}
