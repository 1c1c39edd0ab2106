// Feeds arbitrary bytes to the project reader, from memory and as a file's content (where the
// picture may keep its rows in the file's buffer); both must read the same project. Whatever it
// accepts is written back, and that must read again with the same series names.

#include <cstdint>
#include <cstdlib>
#include <cstring>
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
    {
        FileBytes file;
        file.data = std::shared_ptr<std::uint8_t[]>(new std::uint8_t[size + 1]);
        std::memcpy(file.data.get(), data, size);
        file.size = size;
        std::ostringstream again;
        try {
            WriteProject(*ReadProject(file), again);
        } catch (const ProjectError&) {
            std::abort();  // read from memory it was sound
        }
        if (again.str() != bytes) std::abort();
    }
    std::unique_ptr<PlotDocument> again;
    try {
        again = ReadProject(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
    } catch (const ProjectError&) {
        std::abort();  // a project the program wrote must read again
    }
    // with the same series names, also those Windows-1252 cannot hold
    if (again->DataSeries.size() != doc->DataSeries.size()) std::abort();
    for (std::size_t k = 0; k < doc->DataSeries.size(); ++k)
        if (again->DataSeries[k]->Name != doc->DataSeries[k]->Name) std::abort();
    return 0;
}
