#include <algorithm>
#include <cstdio>
#include <exception>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "document/OpenDocument.h"
#include "document/ProjectFile.h"
#include "output/ExportData.h"
#include "platform/BmpWriter.h"
#include "platform/NumberText.h"
#include "trace/Trace.h"

namespace {

using namespace curvana;

// The file types a picture format opens, ".jpg, .jpeg", from its dialog patterns.
std::string Extensions(const PictureFormat& format) {
    std::string list;
    std::string_view patterns = std::string_view(format.filter).substr(format.filter.find('|') + 1);
    while (!patterns.empty()) {
        const std::size_t end = std::min(patterns.find(';'), patterns.size());
        list += (list.empty() ? "" : ", ") + std::string(patterns.substr(1, end - 1));
        patterns.remove_prefix(std::min(end + 1, patterns.size()));
    }
    return list;
}

// The names of the picture formats that have a property, "TIFF or PDF".
std::string FormatNames(bool PictureFormat::*property) {
    std::vector<std::string> names;
    for (const PictureFormat& f : PictureFormats())
        if (f.*property) names.push_back(f.name);
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i)
        text += (i == 0 ? "" : i + 1 == names.size() ? " or " : ", ") + names[i];
    return text;
}

std::string Usage() {
    std::string pictures;
    for (const PictureFormat& f : PictureFormats())
        pictures += (pictures.empty() ? "" : ", ") + f.name + " (" + Extensions(f) + ")";
    return "Usage: curvana-cli COMMAND ARGUMENTS\n"
           "\n"
           "Curvana digitizes plotted graphs: it turns the markers laid on a picture of a plot into data "
           "values.\n"
           "This tool works on Curvana's files without opening a window.\n"
           "\n"
           "Commands:\n"
           "  decode PICTURE OUT.bmp [--page N] [--dpi D]\n"
           "                                   write a picture as the BMP a project holds\n"
           "  new PICTURE OUT.cvn [--page N] [--dpi D]\n"
           "                                   save a picture as a new project with the default calibration "
           "box\n"
           "  listing PROJECT.cvn [--digits N] [--method M]\n"
           "                                   print the project's data listing\n"
           "  export PROJECT.cvn OUT --format xls|txt|csv|tab [--digits N] [--method M]\n"
           "                                   export the data listing as the program's Data > Export does\n"
           "  resave PROJECT.cvn OUT.cvn       read a project and save it again\n"
           "  convert PROJECT.cvn PX PY [--method M]\n"
           "                                   the data values of picture point (PX, PY)\n"
           "  deconvert PROJECT.cvn X Y [--method M]\n"
           "                                   the picture point of data values (X, Y)\n"
           "  calibrate PROJECT.cvn OUT.cvn --corners X1 Y1 X2 Y2 X3 Y3 X4 Y4 --scales XMIN XMAX YMIN YMAX\n"
           "            [--method M]           save the project with this calibration box (corners 1 "
           "bottom-left,\n"
           "                                   2 bottom-right, 3 top-left, 4 top-right, moved onto the "
           "picture)\n"
           "                                   and scale values\n"
           "  trace PROJECT.cvn PX PY OUT.cvn [--symbols] [--step N] [--tolerance T] [--gap G]\n"
           "                                   trace the curve (or find the symbols) at picture point\n"
           "                                   (PX, PY) and save the project with them as a new series\n"
           "  --help                           show this text\n"
           "  --version                        show the program's version\n"
           "\n"
           "Pictures that decode and new open:\n  " +
           pictures + ".\n" + "--page chooses the page of a " + FormatNames(&PictureFormat::hasPages) +
           " picture (default 1).\n" + "--dpi sets the resolution a " +
           FormatNames(&PictureFormat::takesResolution) + " page is drawn at, " + std::to_string(kPdfMinDpi) +
           " to " + std::to_string(kPdfMaxDpi) + " dots per inch (default " + std::to_string(kPdfDefaultDpi) +
           ").\n" +
           "--digits sets the significant digits of the listing, 1 to 10 (default 3).\n"
           "--step (1 to 1000, default 10), --tolerance (1 to 441, default 60) and --gap (0 to 200, default\n"
           "12) set the marker step and the largest break bridged in picture pixels, and how far a colour\n"
           "may lie from the traced one.\n"
           "--method converts bilinear or perspective (default: the project's method; perspective is\n"
           "exact for a chart photographed at an angle).\n"
           "Exit status: 0 success, 1 a file could not be read or written (or nothing was traced), 2 a usage\n"
           "error.\n";
}

struct UsageError {};

// A failure to report on one line, exit status 1.
struct Failure {
    std::string message;
};

std::unique_ptr<PlotDocument> LoadProject(const std::string& path) {
    try {
        return LoadProjectFile(path);
    } catch (const ProjectError& e) {
        throw Failure{e.what()};
    }
}

std::unique_ptr<PlotDocument> OpenPicture(const std::string& path, const PageChoice& choice) {
    if (!PictureFormatOf(path)) throw Failure{"Not a picture file: " + path};
    try {
        return OpenPictureDocument(path, choice);
    } catch (const OpenError& e) {
        // The program's message, then why, for the script's user.
        throw Failure{e.Reason().empty() ? e.what() : std::string(e.what()) + " (" + e.Reason() + ")"};
    }
}

// Runs a write, turning its failure into the file system's text.
template <typename Write>
void Writing(Write write) {
    try {
        write();
    } catch (const std::exception& e) {
        throw Failure{e.what()};
    }
}

std::int32_t Integer(const std::string& text) {
    std::int32_t value = 0;
    if (!TryStrToInt(text, value)) throw UsageError{};
    return value;
}

double Number(const std::string& text) {
    double value = 0;
    if (!TryStrToFloat(text, value)) throw UsageError{};
    return value;
}

// Takes "--name VALUE" out of the arguments; empty when it is not there.
std::string TakeOption(std::vector<std::string>& args, const std::string& name) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] != name) continue;
        if (i + 1 >= args.size()) throw UsageError{};
        std::string value = args[i + 1];
        args.erase(args.begin() + long(i), args.begin() + long(i) + 2);
        return value;
    }
    return {};
}

// Takes a switch out of the arguments; whether it was there.
bool TakeFlag(std::vector<std::string>& args, const std::string& name) {
    const auto it = std::find(args.begin(), args.end(), name);
    if (it == args.end()) return false;
    args.erase(it);
    return true;
}

// Takes "--page N" and "--dpi D" out of the arguments of a command that opens a picture.
PageChoice TakePageChoice(std::vector<std::string>& args) {
    PageChoice choice;
    if (const std::string page = TakeOption(args, "--page"); !page.empty()) {
        choice.page = Integer(page);
        if (choice.page < 1) throw UsageError{};
    }
    if (const std::string dpi = TakeOption(args, "--dpi"); !dpi.empty()) {
        choice.dpi = Integer(dpi);
        if (choice.dpi < kPdfMinDpi || choice.dpi > kPdfMaxDpi) throw UsageError{};
    }
    return choice;
}

// Takes "--name V1 ... Vn" out of the arguments; empty when it is not there.
std::vector<std::string> TakeValues(std::vector<std::string>& args, const std::string& name, std::size_t n) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] != name) continue;
        if (i + n >= args.size()) throw UsageError{};
        std::vector<std::string> values(args.begin() + long(i) + 1, args.begin() + long(i + n) + 1);
        args.erase(args.begin() + long(i), args.begin() + long(i + n) + 1);
        return values;
    }
    return {};
}

// Takes "--method bilinear|perspective" out of the arguments; empty when it is not there.
std::optional<CalibrationMethod> TakeMethod(std::vector<std::string>& args) {
    const std::string method = TakeOption(args, "--method");
    if (method.empty()) return std::nullopt;
    if (method == "bilinear") return CalibrationMethod::Bilinear;
    if (method == "perspective") return CalibrationMethod::Perspective;
    throw UsageError{};
}

// Loads a project and converts with the method asked for, or else with its own.
std::unique_ptr<PlotDocument> LoadProject(const std::string& path, std::optional<CalibrationMethod> method) {
    auto doc = LoadProject(path);
    if (method) doc->Method = *method;
    return doc;
}

void TakeDigits(std::vector<std::string>& args) {
    const std::string digits = TakeOption(args, "--digits");
    if (digits.empty()) return;
    const std::int32_t n = Integer(digits);
    if (n < 1 || n > 10) throw UsageError{};
    SigDigits = n;
}

int Run(std::vector<std::string> args) {
    if (args.size() == 1 && args[0] == "--help") {
        std::cout << Usage();
        return 0;
    }
    if (args.size() == 1 && args[0] == "--version") {
        std::cout << "curvana-cli " << CURVANA_VERSION << "\n";
        return 0;
    }
    if (args.empty()) throw UsageError{};
    const std::string command = args[0];
    args.erase(args.begin());

    if (command == "decode" || command == "new") {
        const PageChoice choice = TakePageChoice(args);
        if (args.size() != 2) throw UsageError{};
        auto doc = OpenPicture(args[0], choice);
        ChosenPlotType = PlotType::LinearLinear;
        Writing([&] {
            if (command == "decode")
                WriteBmpFile(doc->Picture, args[1]);
            else
                SaveToFile(*doc, args[1]);
        });
    } else if (command == "listing") {
        TakeDigits(args);
        const auto method = TakeMethod(args);
        if (args.size() != 1) throw UsageError{};
        auto doc = LoadProject(args[0], method);
        for (const std::string& line : doc->BuildListing())
            std::cout << line << '\n';
    } else if (command == "export") {
        TakeDigits(args);
        const auto method = TakeMethod(args);
        const std::string format = TakeOption(args, "--format");
        const int filter = format == "xls"   ? ExportFilterExcel
                           : format == "txt" ? ExportFilterText
                           : format == "csv" ? ExportFilterCsv
                           : format == "tab" ? ExportFilterTab
                                             : 0;
        if (filter == 0 || args.size() != 2) throw UsageError{};
        auto doc = LoadProject(args[0], method);
        const ExportTable table = SplitListing(doc->BuildListing());
        Writing([&] { ExportWithFilter(filter, table, args[1]); });
    } else if (command == "resave" && args.size() == 2) {
        auto doc = LoadProject(args[0]);
        Writing([&] { SaveToFile(*doc, args[1]); });
    } else if (command == "convert" || command == "deconvert") {
        const auto method = TakeMethod(args);
        if (args.size() != 3) throw UsageError{};
        if (command == "convert") {
            const TPoint p{Integer(args[1]), Integer(args[2])};
            const TDataPoint v = LoadProject(args[0], method)->ConvertXY(p);
            std::printf("%.17g %.17g\n", v.X, v.Y);
        } else {
            const TDataPoint v{Number(args[1]), Number(args[2])};
            const TPoint p = LoadProject(args[0], method)->DeConvertXY(v);
            std::printf("%d %d\n", int(p.X), int(p.Y));
        }
    } else if (command == "calibrate") {
        const auto method = TakeMethod(args);
        const std::vector<std::string> corners = TakeValues(args, "--corners", 8);
        const std::vector<std::string> scales = TakeValues(args, "--scales", 4);
        if (args.size() != 2 || corners.empty() || scales.empty()) throw UsageError{};
        Calibration cal;
        for (std::size_t k = 0; k < 4; ++k)
            cal.corner[k] = {Integer(corners[2 * k]), Integer(corners[2 * k + 1])};
        cal.XMin = Number(scales[0]);
        cal.XMax = Number(scales[1]);
        cal.YMin = Number(scales[2]);
        cal.YMax = Number(scales[3]);
        auto doc = LoadProject(args[0]);
        cal.method = method.value_or(doc->Method);
        doc->PasteCalibration(cal);
        Writing([&] { SaveToFile(*doc, args[1]); });
    } else if (command == "trace") {
        const bool symbols = TakeFlag(args, "--symbols");
        TraceSettings settings;
        const auto take = [&args](const char* name, int& value, int least, int most) {
            if (const std::string text = TakeOption(args, name); !text.empty()) {
                value = Integer(text);
                if (value < least || value > most) throw UsageError{};
            }
        };
        take("--step", settings.Step, TraceSettings::kMinStep, TraceSettings::kMaxStep);
        take("--tolerance", settings.Tolerance, TraceSettings::kMinTolerance, TraceSettings::kMaxTolerance);
        take("--gap", settings.Gap, TraceSettings::kMinGap, TraceSettings::kMaxGap);
        if (args.size() != 4) throw UsageError{};
        const TPoint at{Integer(args[1]), Integer(args[2])};
        auto doc = LoadProject(args[0]);
        TraceBox box;
        for (int n = 1; n <= 4; ++n)
            box[std::size_t(n - 1)] = doc->Box.Marker(n).Position();
        const std::vector<TPoint> points = symbols ? TraceSymbols(doc->Picture, box, at, settings)
                                                   : TraceCurve(doc->Picture, box, at, settings);
        if (points.size() < 2)
            throw Failure{symbols ? "Fewer than two symbols like that one were found."
                                  : "No curve was found at that point."};
        doc->AddTracedSeries(points, symbols ? "Trace Symbols" : "Trace Curve");
        Writing([&] { SaveToFile(*doc, args[3]); });
        std::cout << points.size() << "\n";
    } else {
        throw UsageError{};
    }
    return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    // The tool always writes and reads numbers with ".".
    curvana::SetDecimalSeparator(".");
    try {
        return Run(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const UsageError&) {
        std::cerr << Usage();
        return 2;
    } catch (const Failure& f) {
        std::cerr << f.message << "\n";
        return 1;
    }
}
