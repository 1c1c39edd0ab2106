#include "document/ListingBuilder.h"

#include <bit>
#include <cstdint>

#include "document/Listing.h"
#include "platform/NumberText.h"

namespace curvana {

namespace {

// Bit for bit, so that a NaN limit (which compares unequal to itself) still counts as unchanged
// and -0 as changed from 0.
bool SameBits(double a, double b) {
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

}  // namespace

bool ListingBuilder::SameSettings(const Calibration& c) const {
    const Calibration& o = calibration_;
    for (int k = 0; k < 4; ++k)
        if (!(c.corner[k] == o.corner[k])) return false;
    return SameBits(c.XMin, o.XMin) && SameBits(c.XMax, o.XMax) && SameBits(c.YMin, o.YMin) &&
           SameBits(c.YMax, o.YMax) && c.type == o.type && c.method == o.method && SigDigits == digits_ &&
           DecimalSeparator() == separator_;
}

void ListingBuilder::Update(Block& block, const std::string& name, const std::vector<TPoint>& points,
                            const Calibration& calibration, bool reuse) {
    if (reuse && block.made && block.name == name && block.points == points) return;
    block.name = name;
    block.points = points;
    block.lines.clear();
    block.lines.reserve(points.size());
    for (const TPoint& p : points)
        block.lines.push_back(ListingLine(ConvertXY(calibration, p)));
    block.made = true;
}

std::vector<std::string> ListingBuilder::Build(const Calibration& calibration,
                                               const std::vector<std::unique_ptr<TMarkerLine>>& series,
                                               const std::vector<std::unique_ptr<TMarker>>& singles) {
    const bool reuse = SameSettings(calibration);
    calibration_ = calibration;
    digits_ = SigDigits;
    separator_ = DecimalSeparator();

    series_.resize(series.size());
    std::vector<TPoint> points;
    std::size_t total = 0;
    for (std::size_t k = 0; k < series.size(); ++k) {
        points.clear();
        for (const auto& m : series[k]->Markers)
            points.push_back(m->Position());
        Update(series_[k], series[k]->Name, points, calibration, reuse);
        total += points.size() + 2;
    }
    points.clear();
    for (const auto& m : singles)
        points.push_back(m->Position());
    Update(singles_, std::string(), points, calibration, reuse);
    total += points.empty() ? 0 : points.size() + 1;

    std::vector<std::string> lines;
    lines.reserve(total);
    for (const Block& block : series_) {
        lines.push_back(block.name);
        lines.insert(lines.end(), block.lines.begin(), block.lines.end());
        lines.push_back(" ");
    }
    if (!singles_.lines.empty()) {
        lines.push_back("Single Markers");
        lines.insert(lines.end(), singles_.lines.begin(), singles_.lines.end());
    }
    return lines;
}

}  // namespace curvana
