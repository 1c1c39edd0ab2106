#include "document/ProjectFile.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <new>
#include <sstream>
#include <string_view>
#include <vector>

#include "platform/AtomicFile.h"
#include "platform/BmpLayout.h"
#include "platform/BmpReader.h"
#include "platform/BmpWriter.h"
#include "platform/FileBytes.h"
#include "platform/FormatError.h"
#include "platform/NumberText.h"
#include "platform/Paths.h"
#include "platform/Windows1252.h"

namespace curvana {

namespace {

void PutInt(std::ostream& out, std::int32_t value) {
    const auto v = std::uint32_t(value);
    const char bytes[4] = {char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
    out.write(bytes, 4);
}

void PutDouble(std::ostream& out, double value) {
    std::uint64_t bits;
    std::memcpy(&bits, &value, 8);
    char bytes[8];
    for (int k = 0; k < 8; ++k)
        bytes[k] = char(bits >> (8 * k));
    out.write(bytes, 8);
}

// Reads the fields of a project in order; running out of data is a damaged file.
class FieldReader {
  public:
    explicit FieldReader(std::span<const std::uint8_t> data) : data_(data) {}

    std::size_t Left() const { return data_.size() - at_; }

    std::int32_t Int() {
        Need(4);
        std::uint32_t v = 0;
        for (int k = 0; k < 4; ++k)
            v |= std::uint32_t(data_[at_ + std::size_t(k)]) << (8 * k);
        at_ += 4;
        return std::int32_t(v);
    }

    double Double() {
        Need(8);
        std::uint64_t bits = 0;
        for (int k = 0; k < 8; ++k)
            bits |= std::uint64_t(data_[at_ + std::size_t(k)]) << (8 * k);
        at_ += 8;
        double v;
        std::memcpy(&v, &bits, 8);
        return v;
    }

    TPoint Point() {
        std::int32_t x = Int();
        return {x, Int()};
    }

    // A count of records of recordBytes each must fit in what is left before anything is made for it.
    void NeedRecords(std::int64_t count, std::int64_t recordBytes) {
        if (count < 0 || std::uint64_t(count) * std::uint64_t(recordBytes) > Left())
            throw ProjectError("a count exceeds the file");
    }

    std::span<const std::uint8_t> Rest() const { return data_.subspan(at_); }

    // The next n bytes, which must be there.
    std::span<const std::uint8_t> Take(std::size_t n) {
        Need(n);
        at_ += n;
        return data_.subspan(at_ - n, n);
    }

    // A byte count read from the file, then that many bytes.
    std::span<const std::uint8_t> Block() {
        const std::int32_t length = Int();
        NeedRecords(length, 1);
        return Take(std::size_t(length));
    }

  private:
    void Need(std::size_t n) const {
        if (Left() < n) throw ProjectError("the file ends early");
    }

    std::span<const std::uint8_t> data_;
    std::size_t at_ = 0;
};

struct SeriesRecord {
    TColor color = 0;
    std::string codes;  // the name as stored, one Windows-1252 code per character
    std::string name;
    std::vector<TPoint> points;
};

struct SingleRecord {
    TColor color = 0;
    TPoint position;
};

// A scale value as it comes back from its edit on the side panel: written with 15 significant
// digits and read back (text that is no number, such as that of NaN or an infinity, reads as 0).
double ThroughEdit(double value) {
    return StrToFloatOrZero(FloatToStr(value));
}

// A series name holds one Windows-1252 code per character. When a name has a character that set
// lacks (written as "?"), an extension block after the picture's BMP data carries the names whole:
// this signature, then records of a 4-byte tag, an int32 byte length and that many bytes, to the
// end of the file. Readers skip records whose tag they do not know.
constexpr std::array<std::uint8_t, 8> kExtensionSignature = {'C', 'V', 'N', 'X', 0x0D, 0x0A, 0x1A, 0x0A};

// The series names record: an int32 count (the number of series), then for each series in order an
// int32 byte length and its name in UTF-8.
constexpr std::string_view kNamesTag = "NAME";

// The calibration method record: an int32, the method's code. Written, as the block's first record,
// only for a method other than the default one.
constexpr std::string_view kMethodTag = "CALM";

void PutBlock(std::ostream& out, std::string_view bytes) {
    PutInt(out, std::int32_t(bytes.size()));
    out.write(bytes.data(), std::streamsize(bytes.size()));
}

void PutRecord(std::ostream& out, std::string_view tag, std::string_view bytes) {
    out.write(tag.data(), std::streamsize(tag.size()));
    PutBlock(out, bytes);
}

void WriteExtensionBlock(const PlotDocument& doc, std::ostream& out) {
    bool namesFit = true;
    for (const auto& series : doc.DataSeries)
        namesFit = namesFit && FitsWindows1252(series->Name);
    const bool defaultMethod = doc.Method == CalibrationMethod::Bilinear;
    if (namesFit && defaultMethod) return;
    out.write(reinterpret_cast<const char*>(kExtensionSignature.data()), kExtensionSignature.size());
    if (!defaultMethod) {
        std::ostringstream method;
        PutInt(method, std::int32_t(doc.Method));
        PutRecord(out, kMethodTag, method.str());
    }
    if (!namesFit) {
        std::ostringstream names;
        PutInt(names, std::int32_t(doc.DataSeries.size()));
        for (const auto& series : doc.DataSeries)
            PutBlock(names, ValidUtf8(series->Name));
        PutRecord(out, kNamesTag, names.str());
    }
}

std::string_view Text(std::span<const std::uint8_t> bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

// Takes the whole names from a names record. A name whose stored codes do not match it (a program
// that knows nothing of the record renamed the series) keeps the stored one.
void ReadNamesRecord(std::span<const std::uint8_t> record, std::vector<SeriesRecord>& series) {
    FieldReader in(record);
    if (in.Int() != std::int64_t(series.size()))
        throw ProjectError("the names record does not match the series");
    for (SeriesRecord& s : series) {
        const std::string_view name = Text(in.Block());
        if (ValidUtf8(name) != name) throw ProjectError("a series name in the names record is not UTF-8");
        if (ToWindows1252(name) == s.codes) s.name = name;
    }
    if (in.Left() != 0) throw ProjectError("the names record is longer than its names");
}

CalibrationMethod ReadMethodRecord(std::span<const std::uint8_t> record) {
    FieldReader in(record);
    const std::int32_t code = in.Int();
    if (in.Left() != 0) throw ProjectError("the calibration record is longer than its method");
    if (code != std::int32_t(CalibrationMethod::Bilinear) &&
        code != std::int32_t(CalibrationMethod::Perspective))
        throw ProjectError("unknown calibration method");
    return CalibrationMethod(code);
}

void ReadExtensionBlock(std::span<const std::uint8_t> block, std::vector<SeriesRecord>& series,
                        CalibrationMethod& method) {
    FieldReader in(block.subspan(kExtensionSignature.size()));
    while (in.Left() > 0) {
        const std::string_view tag = Text(in.Take(4));
        const std::span<const std::uint8_t> record = in.Block();
        if (tag == kNamesTag) ReadNamesRecord(record, series);
        if (tag == kMethodTag) method = ReadMethodRecord(record);
    }
}

// Where the picture's BMP data ends in rest (the file from the picture block on): at the size its
// file header gives when an extension block follows there, else at the end of the file.
std::size_t PictureEnd(std::span<const std::uint8_t> rest) {
    if (rest.size() < bmp::kFileHeaderSize) return rest.size();
    const std::uint32_t declared = bmp::LoadU32(rest.data() + 2);
    if (declared > rest.size() || rest.size() - declared < kExtensionSignature.size()) return rest.size();
    const auto at = rest.begin() + declared;
    return std::equal(kExtensionSignature.begin(), kExtensionSignature.end(), at) ? declared : rest.size();
}

}  // namespace

void WriteProject(const PlotDocument& doc, std::ostream& out) {
    PutInt(out, 1);
    PutInt(out, std::int32_t(ChosenPlotType));
    PutInt(out, doc.ZoomLevel);
    for (int n = 1; n <= 4; ++n) {
        PutInt(out, doc.Box.Marker(n).X);
        PutInt(out, doc.Box.Marker(n).Y);
    }
    PutDouble(out, doc.XMin);
    PutDouble(out, doc.XMax);
    PutDouble(out, doc.YMin);
    PutDouble(out, doc.YMax);
    PutInt(out, std::int32_t(doc.DataSeries.size()) - 1);
    for (const auto& series : doc.DataSeries) {
        PutInt(out, std::int32_t(series->Color));
        const std::string codes = ToWindows1252(series->Name);
        PutInt(out, std::int32_t(codes.size()));
        for (char c : codes)
            PutInt(out, std::int32_t(static_cast<unsigned char>(c)));
        PutInt(out, series->Count());
        for (const auto& m : series->Markers) {
            PutInt(out, m->X);
            PutInt(out, m->Y);
        }
    }
    PutInt(out, std::int32_t(doc.SingleMarkers.size()));
    for (const auto& m : doc.SingleMarkers) {
        PutInt(out, std::int32_t(m->Color));
        PutInt(out, m->X);
        PutInt(out, m->Y);
    }
    PutInt(out, doc.Picture.Width());
    PutInt(out, doc.Picture.Height());
    PutInt(out, doc.ZoomLevel);
    WriteBmp(doc.Picture, out);
    WriteExtensionBlock(doc, out);
}

void SaveToFile(PlotDocument& doc, const std::string& path) {
    WriteFileAtomically(path, [&doc](std::ostream& out) { WriteProject(doc, out); });
    doc.MarkSaved();
}

namespace {

// Reads a project from data; when data is a file's whole content, the picture may keep its rows in
// that file's buffer.
std::unique_ptr<PlotDocument> ReadProjectFrom(std::span<const std::uint8_t> data, const FileBytes* file) {
    FieldReader in(data);
    auto doc = std::make_unique<PlotDocument>();
    doc->Initialize();

    in.Int();  // the version is not looked at
    const std::int32_t plotType = in.Int();
    if (plotType >= 1 && plotType <= 4) ChosenPlotType = PlotType(plotType);
    doc->ZoomLevel = in.Int();
    std::array<std::int32_t, 4> xs, ys;
    for (int i = 0; i < 4; ++i) {
        xs[std::size_t(i)] = in.Int();
        ys[std::size_t(i)] = in.Int();
    }
    doc->XMin = ThroughEdit(in.Double());
    doc->XMax = ThroughEdit(in.Double());
    doc->YMin = ThroughEdit(in.Double());
    doc->YMax = ThroughEdit(in.Double());

    // Every count is checked against what is left of the file before anything is made for it: a
    // series takes at least 28 bytes (colour, name length, point count and two points).
    const std::int32_t highIndex = in.Int();
    if (highIndex < -1) throw ProjectError("negative series count");
    in.NeedRecords(std::int64_t(highIndex) + 1, 28);
    std::vector<SeriesRecord> series(static_cast<std::size_t>(std::int64_t(highIndex) + 1));
    for (SeriesRecord& s : series) {
        s.color = TColor(in.Int());
        const std::int32_t length = in.Int();
        if (length > 0) {
            in.NeedRecords(length, 4);
            s.codes.reserve(std::size_t(length));
            for (std::int32_t k = 0; k < length; ++k)
                s.codes += char(std::uint8_t(in.Int()));
            s.name = FromWindows1252(s.codes);
        }
        const std::int32_t count = in.Int();
        if (count < 2) throw ProjectError("a series has fewer than two points");
        in.NeedRecords(count, 8);
        s.points.reserve(std::size_t(count));
        for (std::int32_t k = 0; k < count; ++k)
            s.points.push_back(in.Point());
    }
    const std::int32_t singleCount = in.Int();
    in.NeedRecords(singleCount, 12);
    std::vector<SingleRecord> singles(static_cast<std::size_t>(singleCount));
    for (SingleRecord& s : singles) {
        s.color = TColor(in.Int());
        s.position = in.Point();
    }
    in.Int();  // the picture's width and height: the picture itself decides its size
    in.Int();
    doc->ZoomLevel = in.Int();
    const std::span<const std::uint8_t> rest = in.Rest();
    const std::size_t pictureEnd = PictureEnd(rest);
    try {
        doc->Picture = file != nullptr ? ReadBmp(*file, data.size() - rest.size(), pictureEnd)
                                       : ReadBmp(rest.first(pictureEnd));
    } catch (const FormatError& e) {
        throw ProjectError(std::string("the picture is damaged: ") + e.what());
    }
    if (pictureEnd < rest.size()) ReadExtensionBlock(rest.subspan(pictureEnd), series, doc->Method);

    // A zoom level whose display cannot be made (a damaged or hand-made file) opens at actual size.
    if (!doc->StretchB()) {
        doc->ZoomLevel = 0;
        if (!doc->StretchB()) throw ProjectError("the picture cannot be shown");
    }
    doc->Box.PlaceCorners(xs, ys);
    for (const SeriesRecord& s : series) {
        doc->DataSeries.push_back(std::make_unique<TMarkerLine>(s.points[0], s.points[1]));
        TMarkerLine& line = *doc->DataSeries.back();
        line.SetColor(s.color);
        line.Name = s.name;
        for (std::size_t k = 2; k < s.points.size(); ++k)
            line.InsertMarker(s.points[k], -1, line.Count() - 1);
    }
    for (const SingleRecord& s : singles) {
        auto marker = std::make_unique<TMarker>();
        marker->Color = s.color;
        marker->SetPosition(s.position);
        doc->SingleMarkers.push_back(std::move(marker));
    }
    doc->RebuildMarkerList();
    doc->UpDateMemo(0);
    doc->MarkOpened();
    return doc;
}

}  // namespace

std::unique_ptr<PlotDocument> ReadProject(std::span<const std::uint8_t> data) {
    return ReadProjectFrom(data, nullptr);
}

std::unique_ptr<PlotDocument> ReadProject(const FileBytes& file) {
    return ReadProjectFrom(file.Span(), &file);
}

std::unique_ptr<PlotDocument> LoadProjectFile(const std::string& path) {
    const std::string corrupted = "File " + ExtractFileName(path) + " is corrupted.";
    try {
        const FileBytes file = ReadFileBytes(path);
        auto doc = ReadProject(file);
        doc->Caption = ExtractFileName(path);
        doc->DocumentFolder = ExtractFilePath(path);
        return doc;
    } catch (const ProjectError&) {
        throw ProjectError(corrupted);
    } catch (const std::system_error&) {  // the file cannot be read
        throw ProjectError(corrupted);
    } catch (const std::bad_alloc&) {
        throw ProjectError(corrupted);
    } catch (const std::length_error&) {
        throw ProjectError(corrupted);
    }
}

}  // namespace curvana
