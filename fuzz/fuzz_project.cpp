// Feeds arbitrary bytes to the project reader. Whatever it accepts is written back, and that must
// read again.

#include <cstdint>
#include <cstdlib>
#include <span>
#include <sstream>
#include <string>

#include "document/ProjectFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace curvana;
    std::unique_ptr<PlotDocument> doc;
    try {
        doc = ReadProject(std::span<const std::uint8_t>(data, size));
    } catch (const ProjectError&) {
        return 0;
    }
    doc->UpDateMemo(0);
    (void)doc->BuildListing();
    std::ostringstream out;
    WriteProject(*doc, out);
    const std::string bytes = out.str();
    try {
        ReadProject(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
    } catch (const ProjectError&) {
        std::abort();  // a project the program wrote must read again
    }
    return 0;
}
