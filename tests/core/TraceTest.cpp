#include <gtest/gtest.h>
#include <jpeglib.h>

#include <cmath>
#include <functional>
#include <map>

#include "platform/JpegReader.h"
#include "trace/Trace.h"

namespace curvana {
namespace {

struct P {
    double x = 0, y = 0;
};

// Where a chart drawn on a 400 x 300 sheet lands in the picture: straight, rotated by 3 degrees
// about the middle, or in perspective (the top edge pulled in, as a page photographed from below).
using Warp = std::function<P(P)>;
P Straight(P p) {
    return p;
}
P Rotated(P p) {
    const double a = 3 * M_PI / 180, x = p.x - 200, y = p.y - 150;
    return {200 + x * std::cos(a) - y * std::sin(a), 150 + x * std::sin(a) + y * std::cos(a)};
}
P Perspective(P p) {
    // The homography that keeps the bottom edge and pulls the top corners 15 % of the width inwards.
    const double w = 1 + 0.35 * (260 - p.y) / 230;
    return {200 + (p.x - 200) / w, 270 - (270 - p.y) / (1 + 0.25 * (260 - p.y) / 230) * 0.95};
}

// A chart drawn with anti-aliased strokes: each stroke covers a pixel by how far the pixel's centre
// lies inside its width.
class Chart {
  public:
    Chart(Warp warp) : warp_(std::move(warp)), picture_(400, 300, PixelFormat::Rgb24()) {
        for (int y = 0; y < 300; ++y)
            for (int x = 0; x < 400; ++x)
                picture_.SetPixelValue(x, y, 0xFFFFFF);
    }
    // A stroke along a line on the sheet, drawn finely enough that the warp keeps it smooth;
    // dash > 0 leaves gaps of that length after every dash of the same length.
    void Stroke(const std::vector<P>& sheet, double width, TColor color, double dash = 0) {
        std::vector<P> line;
        for (std::size_t i = 0; i + 1 < sheet.size(); ++i)
            for (int s = 0; s < 8; ++s) {
                const double t = s / 8.0;
                line.push_back(warp_({sheet[i].x + t * (sheet[i + 1].x - sheet[i].x),
                                      sheet[i].y + t * (sheet[i + 1].y - sheet[i].y)}));
            }
        line.push_back(warp_(sheet.back()));
        std::vector<float> cover(400 * 300, 0);
        double along = 0;
        for (std::size_t i = 0; i + 1 < line.size(); ++i) {
            const P a = line[i], b = line[i + 1];
            const double length = std::hypot(b.x - a.x, b.y - a.y);
            if (dash <= 0 || std::fmod(along, 2 * dash) < dash) Cover(cover, a, b, width);
            along += length;
        }
        Paint(cover, color);
    }
    void Disc(P sheetCentre, double radius, TColor color) {
        const P c = warp_(sheetCentre);
        std::vector<float> cover(400 * 300, 0);
        for (int y = int(c.y - radius - 2); y <= int(c.y + radius + 2); ++y)
            for (int x = int(c.x - radius - 2); x <= int(c.x + radius + 2); ++x)
                if (x >= 0 && y >= 0 && x < 400 && y < 300)
                    cover[std::size_t(y * 400 + x)] =
                        float(std::clamp(radius + 0.5 - std::hypot(x - c.x, y - c.y), 0.0, 1.0));
        Paint(cover, color);
    }
    // The frame of the axes from (40, 260) to (360, 40) on the sheet, light grid lines every 40,
    // and a legend in the top-right corner.
    void Axes() {
        for (int k = 1; k < 8; ++k)
            Stroke({{40.0 + 40 * k, 40}, {40.0 + 40 * k, 260}}, 1, RGB(210, 210, 210));
        for (int k = 1; k < 5; ++k)
            Stroke({{40, 40.0 + 44 * k}, {360, 40.0 + 44 * k}}, 1, RGB(210, 210, 210));
        Stroke({{40, 260}, {360, 260}, {360, 40}, {40, 40}, {40, 260}}, 1, clBlack);
    }
    TraceBox Box() const {
        const P sheet[4] = {{40, 260}, {360, 260}, {40, 40}, {360, 40}};
        TraceBox box;
        for (int i = 0; i < 4; ++i) {
            const P p = warp_(sheet[i]);
            box[std::size_t(i)] = {std::int32_t(std::lround(p.x)), std::int32_t(std::lround(p.y))};
        }
        return box;
    }
    P At(P sheet) const { return warp_(sheet); }
    Bitmap& Picture() { return picture_; }

  private:
    static void Cover(std::vector<float>& cover, P a, P b, double width) {
        const double reach = width / 2 + 1;
        for (int y = int(std::min(a.y, b.y) - reach); y <= int(std::max(a.y, b.y) + reach) + 1; ++y)
            for (int x = int(std::min(a.x, b.x) - reach); x <= int(std::max(a.x, b.x) + reach) + 1; ++x) {
                if (x < 0 || y < 0 || x >= 400 || y >= 300) continue;
                const double dx = b.x - a.x, dy = b.y - a.y, l2 = dx * dx + dy * dy;
                const double t = l2 > 0 ? std::clamp(((x - a.x) * dx + (y - a.y) * dy) / l2, 0.0, 1.0) : 0;
                const double d = std::hypot(x - a.x - t * dx, y - a.y - t * dy);
                float& c = cover[std::size_t(y * 400 + x)];
                c = std::max(c, float(std::clamp(width / 2 + 0.5 - d, 0.0, 1.0)));
            }
    }
    void Paint(const std::vector<float>& cover, TColor color) {
        for (int y = 0; y < 300; ++y)
            for (int x = 0; x < 400; ++x) {
                const double a = cover[std::size_t(y * 400 + x)];
                if (a <= 0) continue;
                const TColor old = picture_.PixelColor(x, y);
                const auto mix = [a](int from, int to) {
                    return std::uint32_t(std::lround(from + a * (to - from)));
                };
                picture_.SetPixelValue(x, y,
                                       mix(GetRValue(old), GetRValue(color)) << 16 |
                                           mix(GetGValue(old), GetGValue(color)) << 8 |
                                           mix(GetBValue(old), GetBValue(color)));
            }
    }

    Warp warp_;
    Bitmap picture_;
};

// The picture after a round trip through JPEG at quality 75.
Bitmap ThroughJpeg(const Bitmap& picture) {
    jpeg_compress_struct c{};
    jpeg_error_mgr errors{};
    c.err = jpeg_std_error(&errors);
    jpeg_create_compress(&c);
    unsigned char* data = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &data, &size);
    c.image_width = JDIMENSION(picture.Width());
    c.image_height = JDIMENSION(picture.Height());
    c.input_components = 3;
    c.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 75, TRUE);
    jpeg_start_compress(&c, TRUE);
    std::vector<std::uint8_t> row(std::size_t(picture.Width()) * 3);
    for (int y = 0; y < picture.Height(); ++y) {
        for (int x = 0; x < picture.Width(); ++x) {
            const TColor p = picture.PixelColor(x, y);
            row[std::size_t(x) * 3] = GetRValue(p), row[std::size_t(x) * 3 + 1] = GetGValue(p);
            row[std::size_t(x) * 3 + 2] = GetBValue(p);
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&c, rows, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    Bitmap result = DecodeJpeg({data, std::size_t(size)});
    free(data);
    return result;
}

double Curve(double x) {  // the test curve on the sheet: a damped wave across the frame
    return 150 + 70 * std::sin((x - 40) / 45) * std::exp(-(x - 40) / 400);
}
double Step(double x) {  // a steep rise between two flat stretches
    return 150 + 80 * std::tanh((x - 200) / 6);
}
double FastWave(double x) {  // sharp peaks and troughs
    return 150 + 90 * std::sin((x - 40) / 12);
}
double SteepEnd(double x) {  // flat, then rising ever faster to the frame's corner
    return 250 - 200 * std::exp((x - 360) / 40);
}
double Other(double x) {  // a line crossing it twice
    return 230 - 0.45 * (x - 40);
}

// The distance from a picture point to a line through the warped points.
double DistanceTo(const std::vector<P>& line, P p) {
    double best = 1e300;
    for (std::size_t i = 0; i + 1 < line.size(); ++i) {
        const P a = line[i], b = line[i + 1];
        const double dx = b.x - a.x, dy = b.y - a.y, l2 = dx * dx + dy * dy;
        const double t = l2 > 0 ? std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / l2, 0.0, 1.0) : 0;
        best = std::min(best, std::hypot(p.x - a.x - t * dx, p.y - a.y - t * dy));
    }
    return best;
}

TEST(TraceTest, CurvesAreTracedOnTheirCentreLine) {
    const struct {
        const char* name;
        Warp warp;
        double width;
        double dash;
        bool symbols, jpeg;
        double (*curve)(double) = Curve;
    } cases[] = {
        {"1 pixel", Straight, 1, 0, false, false},
        {"2 pixels", Straight, 2, 0, false, false},
        {"3 pixels", Straight, 3, 0, false, false},
        {"4 pixels", Straight, 4, 0, false, false},
        {"1.5 pixels", Straight, 1.5, 0, false, false},
        {"dashed", Straight, 2, 6, false, false},
        {"with symbols", Straight, 1.5, 0, true, false},
        {"rotated", Rotated, 2, 0, false, false},
        {"perspective", Perspective, 2, 0, false, false},
        {"jpeg", Straight, 2, 0, false, true},
        {"rotated thin jpeg", Rotated, 1, 0, false, true},
        {"steep step", Straight, 2, 0, false, false, Step},
        {"steep step, symbols", Straight, 1.5, 0, true, false, Step},
        {"fast wave", Straight, 3, 0, false, false, FastWave},
        {"fast wave, symbols", Rotated, 1.5, 0, true, false, FastWave},
        {"steep end", Rotated, 2, 0, false, false, SteepEnd},
    };
    for (const auto& c : cases) {
        Chart chart(c.warp);
        chart.Axes();
        std::vector<P> sheet, other;
        for (double x = 40; x <= 360; x += 1) {
            sheet.push_back({x, c.curve(x)});
            other.push_back({x, Other(x)});
        }
        chart.Stroke(other, 2, RGB(220, 30, 30));  // drawn first: the traced curve crosses over it
        chart.Stroke(sheet, c.width, RGB(20, 40, 200), c.dash);
        if (c.symbols)
            for (double x = 60; x < 360; x += 50)
                chart.Disc({x, c.curve(x)}, 3.5, RGB(20, 40, 200));
        chart.Stroke({{300, 46}, {330, 46}}, c.width, RGB(20, 40, 200));  // the legend's sample
        const Bitmap picture = c.jpeg ? ThroughJpeg(chart.Picture()) : chart.Picture();
        std::vector<P> truth, crossing;
        for (const P& p : sheet)
            truth.push_back(chart.At(p));
        for (const P& p : other)
            crossing.push_back(chart.At(p));

        // Two pixels off the line where it is drawn (not in a gap of the dashes).
        double x = 205;  // clear of the grid line at 200
        for (;; ++x) {
            const P on = chart.At({x, c.curve(x)});
            const TColor there = picture.PixelColor(int(std::lround(on.x)), int(std::lround(on.y)));
            if (GetBValue(there) > GetRValue(there) + 60) break;
        }
        const P click = chart.At({x, c.curve(x) + 2});
        const auto markers =
            TraceCurve(picture, chart.Box(), {int(std::lround(click.x)), int(std::lround(click.y))}, {});
        ASSERT_GE(markers.size(), 20u) << c.name;
        double sum = 0, worst = 0;
        for (const TPoint& m : markers) {
            const double d = DistanceTo(truth, {double(m.X), double(m.Y)});
            sum += d;
            worst = std::max(worst, d);
        }
        EXPECT_LE(worst, 1.0) << c.name;
        EXPECT_LE(sum / double(markers.size()), 0.3) << c.name;
        // From one end of the frame to the other, at steps of 10 pixels along x.
        const P first = chart.At({40, c.curve(40)}), last = chart.At({360, c.curve(360)});
        EXPECT_GE(markers.back().X - markers.front().X, 0.97 * (last.x - first.x)) << c.name;
        for (std::size_t i = 1; i < markers.size(); ++i)
            ASSERT_GT(markers[i].X, markers[i - 1].X) << c.name << ": ordered along x";
        EXPECT_NEAR(double(markers.size()), 33, 2) << c.name;
    }
}

TEST(TraceTest, SymbolsAreFoundOnceEach) {
    for (const Warp& warp : {Warp(Straight), Warp(Perspective), Warp(Rotated)}) {
        for (const bool jpeg : {false, true}) {
            Chart chart(warp);
            chart.Axes();
            std::vector<P> centres;
            for (int i = 0; i < 14; ++i)
                centres.push_back({60.0 + 21 * i, 200 - 9.0 * i + 25 * std::sin(i)});
            centres.push_back({centres[3].x + 8, centres[3].y});      // touching the fourth
            centres.push_back({centres[9].x + 5, centres[9].y + 5});  // overlapping the tenth
            for (const P& c : centres)
                chart.Disc(c, 4, RGB(200, 30, 30));
            chart.Stroke({{60, 80}, {340, 70}}, 1.5, RGB(30, 30, 200));  // another series' line
            chart.Stroke({{300, 55}, {330, 55}}, 2, RGB(200, 30, 30));   // a legend's line
            const Bitmap picture = jpeg ? ThroughJpeg(chart.Picture()) : chart.Picture();
            const P click = chart.At({centres[5].x + 2, centres[5].y});
            const auto markers = TraceSymbols(picture, chart.Box(),
                                              {int(std::lround(click.x)), int(std::lround(click.y))}, {});
            ASSERT_EQ(markers.size(), centres.size()) << "jpeg " << jpeg;
            std::vector<int> hits(centres.size(), 0);
            for (const TPoint& m : markers) {
                std::size_t nearest = 0;
                double distance = 1e300;
                for (std::size_t i = 0; i < centres.size(); ++i) {
                    const P c = chart.At(centres[i]);
                    const double d = std::hypot(m.X - c.x, m.Y - c.y);
                    if (d < distance) distance = d, nearest = i;
                }
                EXPECT_LE(distance, 1.5) << "jpeg " << jpeg << " symbol " << nearest;
                ++hits[nearest];
            }
            EXPECT_EQ(hits, std::vector<int>(centres.size(), 1)) << "jpeg " << jpeg;
            for (std::size_t i = 1; i < markers.size(); ++i)
                EXPECT_LE(markers[i - 1].X, markers[i].X + 2) << "ordered along x";
        }
    }
}

TEST(TraceTest, NothingIsTracedWhereNothingStandsOut) {
    Chart chart(Straight);
    chart.Axes();
    EXPECT_TRUE(TraceCurve(chart.Picture(), chart.Box(), {100, 100}, {}).empty());
    EXPECT_TRUE(TraceCurve(chart.Picture(), chart.Box(), {-5, 100}, {}).empty());
    EXPECT_TRUE(TraceSymbols(chart.Picture(), chart.Box(), {100, 100}, {}).empty());
}

}  // namespace
}  // namespace curvana
