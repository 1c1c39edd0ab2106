#include "trace/Trace.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <numeric>
#include <optional>

#include "platform/NumberText.h"

namespace curvana {

namespace {

struct Vec {
    double x = 0, y = 0;
};

Vec operator-(Vec a, Vec b) {
    return {a.x - b.x, a.y - b.y};
}
double Length(Vec a) {
    return std::hypot(a.x, a.y);
}

// The box as a map of (u, v) in [0, 1] x [0, 1] onto the picture: u runs along the box's x
// direction from its left edge, v along its y direction from its bottom edge.
class BoxMap {
  public:
    explicit BoxMap(const TraceBox& box) {
        for (std::size_t i = 0; i < 4; ++i)
            c_[i] = {double(box[i].X), double(box[i].Y)};
    }
    Vec At(double u, double v) const {
        const double a = (1 - u) * (1 - v), b = u * (1 - v), c = (1 - u) * v, d = u * v;
        return {a * c_[0].x + b * c_[1].x + c * c_[2].x + d * c_[3].x,
                a * c_[0].y + b * c_[1].y + c * c_[2].y + d * c_[3].y};
    }
    // The (u, v) of a picture point, by Newton's method; false when it does not settle.
    bool Inverse(Vec p, double& u, double& v) const {
        u = v = 0.5;
        for (int i = 0; i < 30; ++i) {
            const Vec at = At(u, v), r = at - p;
            const Vec du = {(1 - v) * (c_[1].x - c_[0].x) + v * (c_[3].x - c_[2].x),
                            (1 - v) * (c_[1].y - c_[0].y) + v * (c_[3].y - c_[2].y)};
            const Vec dv = {(1 - u) * (c_[2].x - c_[0].x) + u * (c_[3].x - c_[1].x),
                            (1 - u) * (c_[2].y - c_[0].y) + u * (c_[3].y - c_[1].y)};
            const double det = du.x * dv.y - du.y * dv.x;
            if (std::abs(det) < 1e-12) return false;
            u -= (r.x * dv.y - r.y * dv.x) / det;
            v -= (du.x * r.y - du.y * r.x) / det;
            if (!std::isfinite(u) || !std::isfinite(v) || std::abs(u) > 1e6 || std::abs(v) > 1e6)
                return false;
            if (std::abs(r.x) + std::abs(r.y) < 1e-9) break;
        }
        return true;
    }
    // Pixels along x and y: the longer of the two edges in each direction.
    double Width() const { return std::max(Length(c_[1] - c_[0]), Length(c_[3] - c_[2])); }
    double Height() const { return std::max(Length(c_[2] - c_[0]), Length(c_[3] - c_[1])); }

  private:
    Vec c_[4];
};

struct Rgb {
    double r = 0, g = 0, b = 0;
};

Rgb ColorAt(const Bitmap& picture, int x, int y) {
    const TColor c = picture.PixelColor(x, y);
    return {double(GetRValue(c)), double(GetGValue(c)), double(GetBValue(c))};
}

double Distance(const Rgb& a, const Rgb& b) {
    return std::sqrt((a.r - b.r) * (a.r - b.r) + (a.g - b.g) * (a.g - b.g) + (a.b - b.b) * (a.b - b.b));
}

// The ink of a stroke or symbol over the paper around it. A pixel the stroke covers in part is a
// blend of the two, so it lies on the line from the paper's colour towards the ink's: the ink is
// a direction from the paper. A pixel belongs to the ink when it lies within the tolerance of that
// line and at least 45 % of the way to the most covered pixel seen at the click, or is within the
// tolerance of the ink's own colour.
class Ink {
  public:
    Ink(const Rgb& paper, const Rgb& ink, double tolerance)
        : paper_(paper), ink_(ink), tolerance_(tolerance) {
        const double length = Distance(ink, paper);
        dir_ = {(ink.r - paper.r) / length, (ink.g - paper.g) / length, (ink.b - paper.b) / length};
        least_ = std::max(0.45 * length, 0.5 * tolerance);
        // Each channel's share of the sums Holds makes, for every value it can take.
        const double Rgb::*parts[3] = {&Rgb::r, &Rgb::g, &Rgb::b};
        for (std::size_t c = 0; c < 3; ++c)
            for (int v = 0; v < 256; ++v) {
                const double d = v - paper.*parts[c], i = v - ink.*parts[c];
                along_[c][std::size_t(v)] = d * dir_.*parts[c];
                square_[c][std::size_t(v)] = d * d;
                inkSquare_[c][std::size_t(v)] = i * i;
            }
    }
    // Holds for a raster pixel, from the tables: the same test without a multiplication per channel.
    bool HoldsPixel(RasterPixel p) const {
        const std::size_t r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
        const double along = along_[0][r] + along_[1][g] + along_[2][b];
        if (along >= least_) {
            const double off2 = square_[0][r] + square_[1][g] + square_[2][b] - along * along;
            const double most = std::min(tolerance_, 0.27 * along);
            if (off2 <= most * most) return true;
        }
        return inkSquare_[0][r] + inkSquare_[1][g] + inkSquare_[2][b] <= tolerance_ * tolerance_;
    }
    // How far a colour lies along the ink's direction from the paper, and off that line.
    void Measure(const Rgb& c, double& along, double& off) const {
        const Rgb d{c.r - paper_.r, c.g - paper_.g, c.b - paper_.b};
        along = d.r * dir_.r + d.g * dir_.g + d.b * dir_.b;
        const Rgb rest{d.r - along * dir_.r, d.g - along * dir_.g, d.b - along * dir_.b};
        off = std::sqrt(rest.r * rest.r + rest.g * rest.g + rest.b * rest.b);
    }
    bool Holds(const Rgb& c) const {
        // Off the line by no more than the tolerance, nor more than a quarter of the way along it:
        // a lighter line of another hue (a grey grid line under a blue curve) is not a blend.
        // Worked in squares, as this runs for every pixel of a box.
        const double dr = c.r - paper_.r, dg = c.g - paper_.g, db = c.b - paper_.b;
        const double along = dr * dir_.r + dg * dir_.g + db * dir_.b;
        if (along >= least_) {
            const double off2 = dr * dr + dg * dg + db * db - along * along;
            const double most = std::min(tolerance_, 0.27 * along);
            if (off2 <= most * most) return true;
        }
        const double ir = c.r - ink_.r, ig = c.g - ink_.g, ib = c.b - ink_.b;
        return ir * ir + ig * ig + ib * ib <= tolerance_ * tolerance_;
    }
    // How much of the pixel the ink covers, as a weight for finding a stroke's middle.
    double Weight(const Rgb& c) const {
        double along = 0, off = 0;
        Measure(c, along, off);
        return off <= std::min(2 * tolerance_, 0.35 * along + 10) ? std::max(0.0, along) : 0.0;
    }

  private:
    Rgb paper_, ink_, dir_;
    double tolerance_;
    double least_;
    std::array<std::array<double, 256>, 3> along_, square_, inkSquare_;
};

// What the click is on: the paper around it (the commonest colour within 15 pixels), the nearest
// pixel within 3 pixels that stands out from it, and the ink: the pixel next to that one that
// stands out most.
std::optional<Ink> InkAt(const Bitmap& picture, TPoint start, double tolerance, TPoint& seed) {
    const int w = picture.Width(), h = picture.Height();
    if (start.X < 0 || start.Y < 0 || start.X >= w || start.Y >= h) return std::nullopt;
    std::vector<int> counts(1 << 15, 0);
    std::vector<Rgb> sums(1 << 15);
    for (int y = std::max(0, start.Y - 15); y <= std::min(h - 1, start.Y + 15); ++y)
        for (int x = std::max(0, start.X - 15); x <= std::min(w - 1, start.X + 15); ++x) {
            const Rgb c = ColorAt(picture, x, y);
            const int bin = (int(c.r) >> 3) << 10 | (int(c.g) >> 3) << 5 | (int(c.b) >> 3);
            ++counts[std::size_t(bin)];
            sums[std::size_t(bin)].r += c.r, sums[std::size_t(bin)].g += c.g, sums[std::size_t(bin)].b += c.b;
        }
    const auto most = std::size_t(std::max_element(counts.begin(), counts.end()) - counts.begin());
    const Rgb paper{sums[most].r / counts[most], sums[most].g / counts[most], sums[most].b / counts[most]};

    int best = -1;
    double bestStandOut = 0;
    for (int dy = -3; dy <= 3; ++dy)
        for (int dx = -3; dx <= 3; ++dx) {
            const int x = start.X + dx, y = start.Y + dy, d = dx * dx + dy * dy;
            if (d > 12 || x < 0 || y < 0 || x >= w || y >= h) continue;
            const double standOut = Distance(ColorAt(picture, x, y), paper);
            if (standOut <= tolerance) continue;
            if (best < 0 || d < best || (d == best && standOut > bestStandOut)) {
                best = d;
                bestStandOut = standOut;
                seed = {x, y};
            }
        }
    if (best < 0) return std::nullopt;
    // The stroke's own colour: the most covered pixel of the same ink near the seed (the seed may be
    // on its anti-aliased edge).
    const Rgb first = ColorAt(picture, seed.X, seed.Y);
    const Ink shade(paper, first, tolerance);
    Rgb ink = first;
    double deepest = 0, off = 0;
    shade.Measure(first, deepest, off);
    for (int dy = -3; dy <= 3; ++dy)
        for (int dx = -3; dx <= 3; ++dx) {
            const int x = seed.X + dx, y = seed.Y + dy;
            if (x < 0 || y < 0 || x >= w || y >= h) continue;
            const Rgb c = ColorAt(picture, x, y);
            double along = 0;
            shade.Measure(c, along, off);
            if (off <= tolerance && along > deepest) {
                deepest = along;
                ink = c;
            }
        }
    return Ink(paper, ink, tolerance);
}

// The picture's colour at a point between pixel centres, by bilinear interpolation.
Rgb Sample(const Bitmap& picture, Vec p) {
    const int w = picture.Width(), h = picture.Height();
    const double x = std::clamp(p.x, 0.0, double(w - 1)), y = std::clamp(p.y, 0.0, double(h - 1));
    const int x0 = int(x), y0 = int(y), x1 = std::min(x0 + 1, w - 1), y1 = std::min(y0 + 1, h - 1);
    const double fx = x - x0, fy = y - y0;
    const Rgb a = ColorAt(picture, x0, y0), b = ColorAt(picture, x1, y0), c = ColorAt(picture, x0, y1),
              d = ColorAt(picture, x1, y1);
    const auto mix = [&](double Rgb::*part) {
        return (1 - fy) * ((1 - fx) * a.*part + fx * b.*part) + fy * ((1 - fx) * c.*part + fx * d.*part);
    };
    return {mix(&Rgb::r), mix(&Rgb::g), mix(&Rgb::b)};
}

// The parabola y = c[0] + c[1] x + c[2] x^2 nearest to the points by least squares; false when they
// do not fix one.
bool FitParabola(const std::vector<std::pair<double, double>>& points, double c[3]) {
    double s[5] = {0, 0, 0, 0, 0}, t[3] = {0, 0, 0};
    for (const auto& [x, y] : points) {
        double p = 1;
        for (int e = 0; e < 5; ++e, p *= x)
            s[e] += p;
        t[0] += y, t[1] += x * y, t[2] += x * x * y;
    }
    const auto det3 = [](const double a[3][3]) {
        return a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1]) -
               a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0]) +
               a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0]);
    };
    const double m[3][3] = {{s[0], s[1], s[2]}, {s[1], s[2], s[3]}, {s[2], s[3], s[4]}};
    const double d = det3(m);
    if (points.size() < 3 || std::abs(d) < 1e-9) return false;
    const double m0[3][3] = {{t[0], s[1], s[2]}, {t[1], s[2], s[3]}, {t[2], s[3], s[4]}};
    const double m1[3][3] = {{s[0], t[0], s[2]}, {s[1], t[1], s[3]}, {s[2], t[2], s[4]}};
    const double m2[3][3] = {{s[0], s[1], t[0]}, {s[1], s[2], t[1]}, {s[2], s[3], t[2]}};
    c[0] = det3(m0) / d, c[1] = det3(m1) / d, c[2] = det3(m2) / d;
    return true;
}

// Follows a curve column by column across the box: a column is the line of constant u, sampled at
// steps of about a pixel in v.
class CurveFollower {
  public:
    CurveFollower(const Bitmap& picture, const BoxMap& box, const Ink& ink, const TraceSettings& settings)
        : picture_(picture), box_(box), ink_(ink), gap_(std::max(0, settings.Gap)) {
        du_ = 1.0 / std::max(1.0, box.Width());
        rows_ = std::max(1, int(std::ceil(box.Height())));
    }

    int Rows() const { return rows_; }
    double ColumnU(double k) const { return u0_ + k * du_; }
    double RowV(double j) const { return j / rows_; }

    // The run of ink samples in the start column nearest to row j0; false when there is none.
    bool Start(double u0, double j0) {
        // A line of the same ink across the curve at the click (a grid line) makes a long run: the
        // start moves to the nearest column beside it where the stroke's own run is short.
        Run run;
        bool found = false;
        for (int k = 0; k <= gap_ + 1 && !found; ++k)
            for (const int side : {1, -1}) {
                u0_ = u0 + side * k * du_;
                if (FindRun(0, j0, 3, run) && run.hi - run.lo <= std::max(24, rows_ / 4)) {
                    found = true;
                    break;
                }
            }
        if (!found) return false;
        centres_.assign(1, {0, Centre(0, run)});
        lengths_.assign(1, run.hi - run.lo + 1);
        start_ = run;
        return true;
    }

    // Follows the curve from the start column in one direction (+1 or -1) as far as it goes.
    void Follow(int direction) {
        Run last = start_;
        double centre = centres_.front().second, slope = 0;
        int gapColumns = 0;
        std::vector<int> lengths = {last.hi - last.lo + 1};
        for (int k = direction;; k += direction) {
            const double u = ColumnU(k);
            if (u < 0 || u > 1) break;
            const double predicted = centre + slope * (gapColumns + 1);
            Run run;
            const int reach = std::max(3, gap_);
            bool found = FindRun(k, predicted, reach, run);
            if (found) {
                // A run much longer than the stroke has been lately, whose middle is not where the
                // curve is heading, is a line of the same colour across it (an axis or a grid line):
                // bridged over as a gap. (A steep stretch's runs are long too, but centred on the
                // way; a symbol on the line is left out afterwards.)
                const int typical = *std::max_element(lengths.begin(), lengths.end());
                const int length = run.hi - run.lo + 1;
                if (length > 2 * typical + 6 &&
                    std::abs((run.lo + run.hi) / 2.0 - predicted) > std::max(2.0, length / 4.0))
                    found = false;
            }
            if (!found) {
                if (++gapColumns > gap_) break;
                continue;
            }
            const double next = Centre(k, run);
            const double newSlope = (next - centre) / (gapColumns + 1);
            slope = gapColumns > 0 || k == direction ? newSlope : 0.5 * slope + 0.5 * newSlope;
            centre = next;
            gapColumns = 0;
            centres_.push_back({k, centre});
            lengths_.push_back(run.hi - run.lo + 1);
            lengths.push_back(run.hi - run.lo + 1);
            if (lengths.size() > 8) lengths.erase(lengths.begin());
            last = run;
        }
    }

    // The centre rows of the columns reached, by column. A column whose run is longer than the
    // stroke's width around it (a symbol on the line, another line across it) is left out: the
    // line is bridged over it.
    std::vector<std::pair<int, double>> Centres() const {
        std::vector<std::size_t> order(centres_.size());
        std::iota(order.begin(), order.end(), 0);
        std::sort(order.begin(), order.end(),
                  [this](auto a, auto b) { return centres_[a].first < centres_[b].first; });
        const std::ptrdiff_t n = std::ptrdiff_t(order.size());
        const auto column = [&](std::ptrdiff_t i) { return centres_[order[std::size_t(i)]]; };
        const auto length = [&](std::ptrdiff_t i) { return double(lengths_[order[std::size_t(i)]]); };
        // A run across a stroke of width t with slope s is about t * sqrt(1 + s^2) + |s| long: the
        // stroke's width is estimated from every column and its slope there.
        std::vector<double> slope(std::size_t(n), 0), width(std::size_t(n), 0);
        for (std::ptrdiff_t i = 0; i < n; ++i) {
            const std::ptrdiff_t a = std::max<std::ptrdiff_t>(0, i - 3), b = std::min(n - 1, i + 3);
            if (b > a)
                slope[std::size_t(i)] =
                    (column(b).second - column(a).second) / (column(b).first - column(a).first);
            const double s = std::abs(slope[std::size_t(i)]);
            width[std::size_t(i)] = std::max(0.0, (length(i) - s) / std::sqrt(1 + s * s));
        }
        std::vector<std::pair<int, double>> kept;
        const std::ptrdiff_t reach = 10;
        for (std::ptrdiff_t i = 0; i < n; ++i) {
            std::vector<double> around(width.begin() + std::max<std::ptrdiff_t>(0, i - reach),
                                       width.begin() + std::min(n, i + reach + 1));
            std::nth_element(around.begin(), around.begin() + std::ptrdiff_t(around.size() / 2),
                             around.end());
            const double s = std::abs(slope[std::size_t(i)]);
            const double expected = around[around.size() / 2] * std::sqrt(1 + s * s) + s;
            if (length(i) <= 1.3 * expected + 1.5) kept.push_back(column(i));
        }
        return Smooth(kept);
    }

  private:
    struct Run {
        int lo = 0, hi = -1;
    };

    // Leaves out centres that stand off the curve through their neighbours by more than 0.7 of a
    // sample: where another colour crosses or covers part of the stroke, its middle shifts.
    static std::vector<std::pair<int, double>> Smooth(const std::vector<std::pair<int, double>>& centres) {
        std::vector<bool> off(centres.size(), false);
        for (int pass = 0; pass < 2; ++pass) {
            std::vector<bool> next(centres.size(), false);
            for (std::size_t i = 0; i < centres.size(); ++i) {
                // A parabola through the neighbours within 8 columns, by least squares.
                std::vector<std::pair<double, double>> around;
                for (std::size_t j = i >= 8 ? i - 8 : 0; j < std::min(centres.size(), i + 9); ++j)
                    if (j != i && !off[j] && std::abs(centres[j].first - centres[i].first) <= 8)
                        around.push_back({centres[j].first - centres[i].first, centres[j].second});
                double c[3];
                const int n = int(around.size());
                if (n < 6 || !FitParabola(around, c)) continue;
                // How well the parabola fits the neighbours: a sharply bending curve fits less well,
                // and a centre has to stand off by more than its neighbours do to be left out.
                double misfit = 0;
                for (const auto& [x, y] : around)
                    misfit += (y - (c[0] + c[1] * x + c[2] * x * x)) * (y - (c[0] + c[1] * x + c[2] * x * x));
                misfit = std::sqrt(misfit / std::max(1, n - 3));
                next[i] = std::abs(c[0] - centres[i].second) > std::max(0.7, 4 * misfit);
            }
            off = next;
        }
        std::vector<std::pair<int, double>> kept;
        for (std::size_t i = 0; i < centres.size(); ++i)
            if (!off[i]) kept.push_back(centres[i]);
        return kept;
    }

    Rgb At(int k, int j) const { return Sample(picture_, box_.At(ColumnU(k), RowV(j))); }
    bool Holds(int k, int j) const { return j >= 0 && j <= rows_ && ink_.Holds(At(k, j)); }

    // Of the runs of ink samples in column k that come within reach of row `near`, the one whose
    // middle is nearest to it, grown to its full length.
    bool FindRun(int k, double near, int reach, Run& found) const {
        const int from = std::max(0, int(std::floor(near)) - reach),
                  to = std::min(rows_, int(std::ceil(near)) + reach);
        double bestDistance = 1e300;
        bool any = false;
        for (int j = from; j <= to; ++j) {
            if (!Holds(k, j)) continue;
            Run run{j, j};
            while (Holds(k, run.lo - 1))
                --run.lo;
            while (Holds(k, run.hi + 1))
                ++run.hi;
            const double distance = std::abs((run.lo + run.hi) / 2.0 - near);
            if (distance < bestDistance) {
                bestDistance = distance;
                found = run;
                any = true;
            }
            j = run.hi;
        }
        return any;
    }

    // The middle of a run weighted by how much of each sample the ink covers, two samples on either
    // side included (the stroke's anti-aliased edges).
    double Centre(int k, const Run& run) const {
        double sum = 0, weighted = 0;
        for (int j = run.lo - 2; j <= run.hi + 2; ++j) {
            if (j < 0 || j > rows_) continue;
            const double w = ink_.Weight(At(k, j));
            sum += w;
            weighted += w * j;
        }
        return sum > 0 ? weighted / sum : (run.lo + run.hi) / 2.0;
    }

    const Bitmap& picture_;
    const BoxMap& box_;
    const Ink& ink_;
    int gap_;
    double du_ = 0, u0_ = 0;
    int rows_ = 1;
    Run start_;
    std::vector<std::pair<int, double>> centres_;
    std::vector<int> lengths_;  // each centre's run length
};

TPoint Rounded(Vec p) {
    const auto clamp = [](double v) {
        return std::int32_t(std::clamp<std::int64_t>(Round(v), INT32_MIN, INT32_MAX));
    };
    return {clamp(p.x), clamp(p.y)};
}

}  // namespace

std::vector<TPoint> TraceCurve(const Bitmap& picture, const TraceBox& box, TPoint start,
                               const TraceSettings& settings) {
    if (picture.Empty()) return {};
    const BoxMap map(box);
    TPoint seed;
    const std::optional<Ink> ink = InkAt(picture, start, settings.Tolerance, seed);
    double u0 = 0, v0 = 0;
    if (!ink || !map.Inverse({double(seed.X), double(seed.Y)}, u0, v0) || u0 < 0 || u0 > 1 || v0 < 0 ||
        v0 > 1)
        return {};
    CurveFollower follower(picture, map, *ink, settings);
    if (!follower.Start(u0, v0 * follower.Rows())) return {};
    follower.Follow(-1);
    follower.Follow(1);
    auto centres = follower.Centres();
    if (centres.empty()) return {};
    // The stroke's ends are rounded off and may touch the frame: the last two columns at each end
    // do not say where its middle is.
    if (centres.size() > 8) centres = {centres.begin() + 2, centres.end() - 2};
    const int first = centres.front().first, last = centres.back().first;
    if (last - first < 1) return {};
    const auto rowAt = [&centres](double k) {
        const auto next = std::lower_bound(centres.begin(), centres.end(), k,
                                           [](const auto& c, double at) { return c.first < at; });
        if (next == centres.begin()) return next->second;
        if (next == centres.end()) return centres.back().second;
        const auto prev = next - 1;
        const double t = (k - prev->first) / double(next->first - prev->first);
        const double straight = (1 - t) * prev->second + t * next->second;
        // Over a short gap (a symbol, a crossing) the curve may bend: the parabola through the
        // centres within 8 columns on either side bridges it.
        if (next->first - prev->first <= 1 || next->first - prev->first > 8) return straight;
        std::vector<std::pair<double, double>> around;
        for (auto it = centres.begin(); it != centres.end(); ++it)
            if (std::abs(it->first - k) <= 8 + (next->first - prev->first) / 2.0)
                around.push_back({it->first - k, it->second});
        double c[3];
        return around.size() >= 6 && FitParabola(around, c) ? c[0] : straight;
    };
    const auto pointAt = [&](double k) { return map.At(follower.ColumnU(k), follower.RowV(rowAt(k))); };

    // Equal steps over the columns reached, ends included; between columns the centre line is
    // taken as straight.
    const int steps = std::max(1, int(std::ceil(double(last - first) / std::max(1, settings.Step))));
    std::vector<TPoint> markers;
    for (int s = 0; s <= steps; ++s) {
        const double k = first + double(last - first) * s / steps;
        const Vec p = pointAt(k);
        // Of the pixels around the point, the one nearest to the curve: a marker may sit a little
        // along the curve from its step, not off it.
        const Vec a = pointAt(std::max(double(first), k - 1)), b = pointAt(std::min(double(last), k + 1));
        const Vec tangent = b - a;
        const double length = Length(tangent);
        TPoint best = Rounded(p);
        double bestScore = 1e300;
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx) {
                const Vec q{std::floor(p.x + 0.5) + dx, std::floor(p.y + 0.5) + dy};
                const Vec d = q - p;
                const double along = length > 0 ? (d.x * tangent.x + d.y * tangent.y) / length : 0;
                const double off =
                    length > 0 ? std::abs(d.x * tangent.y - d.y * tangent.x) / length : Length(d);
                const double score = off + 0.2 * std::abs(along);
                if (std::abs(along) <= 1.0 && score < bestScore) {
                    bestScore = score;
                    best = Rounded(q);
                }
            }
        if (markers.empty() || !(markers.back() == best)) markers.push_back(best);
    }
    return markers;
}

namespace {

// The pixels of the picture inside the box, row by row: for each row the columns from first to
// last whose centres lie inside the box (a convex quadrilateral).
struct Span {
    int first = 0, last = -1;
};

std::vector<Span> InsideBox(const TraceBox& box, int width, int height, int& top) {
    // The box's edges in order around it; inside lies on the same side of each.
    const TPoint ring[4] = {box[0], box[1], box[3], box[2]};
    double area = 0;
    for (int i = 0; i < 4; ++i) {
        const TPoint a = ring[i], b = ring[(i + 1) % 4];
        area += double(a.X) * b.Y - double(b.X) * a.Y;
    }
    const double side = area >= 0 ? 1 : -1;
    int y0 = height, y1 = -1;
    for (const TPoint& p : ring)
        y0 = std::min(y0, p.Y), y1 = std::max(y1, p.Y);
    top = std::max(0, y0);
    std::vector<Span> spans;
    for (int y = top; y <= std::min(height - 1, y1); ++y) {
        double lo = 0, hi = width - 1;
        for (int i = 0; i < 4; ++i) {
            const TPoint a = ring[i], b = ring[(i + 1) % 4];
            // side * ((b - a) x (p - a)) >= 0, as a bound on x for this row.
            const double ex = double(b.X) - a.X, ey = double(b.Y) - a.Y;
            const double k = -side * ey, c = side * (ex * (y - a.Y) + ey * a.X);  // k * x + c >= 0
            if (k > 0)
                lo = std::max(lo, -c / k);
            else if (k < 0)
                hi = std::min(hi, -c / k);
            else if (c < 0)
                hi = -1;
        }
        spans.push_back({int(std::ceil(lo - 1e-9)), int(std::floor(hi + 1e-9))});
    }
    return spans;
}

// Patches of ink: runs of ink pixels joined across rows where they touch (corners included).
class Patches {
  public:
    struct Patch {
        double area = 0;                                   // pixels
        double weight = 0, wx = 0, wy = 0;                 // the ink's weight and its moments
        double sx = 0, sy = 0, sxx = 0, sxy = 0, syy = 0;  // the pixels' moments
        int minX = INT32_MAX, maxX = INT32_MIN, minY = INT32_MAX, maxY = INT32_MIN;
    };
    struct Run {
        int y, x0, x1, label;
    };

    Patches(const Bitmap& picture, const TraceBox& box, const Ink& ink) {
        int top = 0;
        const std::vector<Span> spans = InsideBox(box, picture.Width(), picture.Height(), top);
        std::vector<RasterPixel> row(std::size_t(std::max(1, picture.Width())));
        std::size_t previousBegin = 0, previousEnd = 0;
        for (std::size_t r = 0; r < spans.size(); ++r) {
            const int y = top + int(r);
            const Span span = spans[r];
            const std::size_t begin = runs_.size();
            if (span.first <= span.last) {
                picture.ConvertRow(y, span.first, span.last - span.first + 1, row.data());
                // Charts are mostly long stretches of one colour: the last answer is kept.
                RasterPixel last = 0;
                bool lastHolds = false, known = false;
                const auto holds = [&](int x) {
                    const RasterPixel p = row[std::size_t(x - span.first)];
                    if (!known || p != last) {
                        last = p;
                        lastHolds = ink.HoldsPixel(p);
                        known = true;
                    }
                    return lastHolds;
                };
                for (int x = span.first; x <= span.last;) {
                    if (!holds(x)) {
                        ++x;
                        continue;
                    }
                    Run run{y, x, x, NewLabel()};
                    while (run.x1 + 1 <= span.last && holds(run.x1 + 1))
                        ++run.x1;
                    for (int px = run.x0; px <= run.x1; ++px)
                        Add(run.label, px, y, ink.Weight(Color(row[std::size_t(px - span.first)])));
                    // Joined to the runs of the row above that touch it.
                    for (std::size_t p = previousBegin; p < previousEnd; ++p)
                        if (runs_[p].x0 <= run.x1 + 1 && runs_[p].x1 >= run.x0 - 1)
                            Join(runs_[p].label, run.label);
                    runs_.push_back(run);
                    x = run.x1 + 1;
                }
            }
            previousBegin = begin;
            previousEnd = runs_.size();
        }
        // Every run and patch by its root.
        for (Run& run : runs_)
            run.label = Root(run.label);
        for (std::size_t i = 0; i < parent_.size(); ++i)
            if (Root(int(i)) != int(i)) Merge(patches_[std::size_t(Root(int(i)))], patches_[i]);
    }

    // The patch holding a pixel, or -1.
    int At(TPoint p) const {
        for (const Run& run : runs_)
            if (run.y == p.Y && run.x0 <= p.X && p.X <= run.x1) return run.label;
        return -1;
    }
    bool IsRoot(int label) const { return parent_[std::size_t(label)] == label; }
    std::size_t Count() const { return patches_.size(); }
    const Patch& Of(int label) const { return patches_[std::size_t(label)]; }
    const std::vector<Run>& Runs() const { return runs_; }

  private:
    static Rgb Color(RasterPixel p) {
        return {double((p >> 16) & 0xFF), double((p >> 8) & 0xFF), double(p & 0xFF)};
    }
    int NewLabel() {
        parent_.push_back(int(parent_.size()));
        patches_.emplace_back();
        return int(parent_.size()) - 1;
    }
    int Root(int label) {
        while (parent_[std::size_t(label)] != label)
            label = parent_[std::size_t(label)] = parent_[std::size_t(parent_[std::size_t(label)])];
        return label;
    }
    void Join(int a, int b) {
        a = Root(a), b = Root(b);
        if (a != b) parent_[std::size_t(std::max(a, b))] = std::min(a, b);
    }
    void Add(int label, int x, int y, double w) {
        Patch& p = patches_[std::size_t(label)];
        p.area += 1;
        p.weight += w, p.wx += w * x, p.wy += w * y;
        p.sx += x, p.sy += y, p.sxx += double(x) * x, p.sxy += double(x) * y, p.syy += double(y) * y;
        p.minX = std::min(p.minX, x), p.maxX = std::max(p.maxX, x);
        p.minY = std::min(p.minY, y), p.maxY = std::max(p.maxY, y);
    }
    static void Merge(Patch& into, const Patch& from) {
        into.area += from.area;
        into.weight += from.weight, into.wx += from.wx, into.wy += from.wy;
        into.sx += from.sx, into.sy += from.sy, into.sxx += from.sxx, into.sxy += from.sxy,
            into.syy += from.syy;
        into.minX = std::min(into.minX, from.minX), into.maxX = std::max(into.maxX, from.maxX);
        into.minY = std::min(into.minY, from.minY), into.maxY = std::max(into.maxY, from.maxY);
    }

    std::vector<int> parent_;
    std::vector<Patch> patches_;
    std::vector<Run> runs_;
};

// The patch's main direction (unit vector) and its length along it.
Vec MainAxis(const Patches::Patch& p) {
    const double mx = p.sx / p.area, my = p.sy / p.area;
    const double cxx = p.sxx / p.area - mx * mx, cxy = p.sxy / p.area - mx * my,
                 cyy = p.syy / p.area - my * my;
    const double angle = 0.5 * std::atan2(2 * cxy, cxx - cyy);
    return {std::cos(angle), std::sin(angle)};
}

}  // namespace

std::vector<TPoint> TraceSymbols(const Bitmap& picture, const TraceBox& box, TPoint start,
                                 const TraceSettings& settings) {
    if (picture.Empty()) return {};
    TPoint seed;
    const std::optional<Ink> ink = InkAt(picture, start, settings.Tolerance, seed);
    if (!ink) return {};
    const Patches patches(picture, box, *ink);
    const int clicked = patches.At(seed);
    if (clicked < 0) return {};
    const Patches::Patch& symbol = patches.Of(clicked);
    const double size = std::max(symbol.maxX - symbol.minX, symbol.maxY - symbol.minY) + 1.0;

    struct Found {
        double u;
        TPoint at;
    };
    std::vector<Found> found;
    const BoxMap map(box);
    const auto place = [&](Vec p) {
        double u = 0, v = 0;
        map.Inverse(p, u, v);
        found.push_back({u, Rounded(p)});
    };
    // Patches of about k symbols' area: k symbols, overlapping along the patch's length.
    std::vector<std::vector<std::pair<double, double>>> slices(patches.Count());
    std::vector<int> counts(patches.Count(), 0);
    for (std::size_t label = 0; label < patches.Count(); ++label) {
        if (!patches.IsRoot(int(label))) continue;
        const Patches::Patch& p = patches.Of(int(label));
        const int k = int(std::lround(p.area / symbol.area));
        if (p.area < 0.5 * symbol.area || k < 1 || p.weight <= 0) continue;
        const double extent = std::max(p.maxX - p.minX, p.maxY - p.minY) + 1.0;
        // Longer than k symbols side by side: a line or lettering of the same colour.
        if (extent > (k + 0.5) * size || k > 8) continue;
        if (k == 1) {
            // The middle of the ink over the patch and a pixel around it, where its anti-aliased
            // edge is.
            double w = 0, wx = 0, wy = 0;
            for (int y = std::max(0, p.minY - 1); y <= std::min(picture.Height() - 1, p.maxY + 1); ++y)
                for (int x = std::max(0, p.minX - 1); x <= std::min(picture.Width() - 1, p.maxX + 1); ++x) {
                    const double weight = ink->Weight(ColorAt(picture, x, y));
                    w += weight, wx += weight * x, wy += weight * y;
                }
            place(w > 0 ? Vec{wx / w, wy / w} : Vec{p.wx / p.weight, p.wy / p.weight});
        } else {
            counts[label] = k;
        }
    }
    // Each of k symbols at the middle of its k-th of the patch along its main direction.
    for (std::size_t label = 0; label < patches.Count(); ++label) {
        const int k = counts[label];
        if (k == 0) continue;
        const Patches::Patch& p = patches.Of(int(label));
        const Vec axis = MainAxis(p);
        const double mx = p.sx / p.area, my = p.sy / p.area;
        double lo = 1e300, hi = -1e300;
        for (const auto& run : patches.Runs())
            if (run.label == int(label))
                for (const int x : {run.x0, run.x1}) {
                    const double t = (x - mx) * axis.x + (run.y - my) * axis.y;
                    lo = std::min(lo, t), hi = std::max(hi, t);
                }
        std::vector<double> n(std::size_t(k), 0), sx(std::size_t(k), 0), sy(std::size_t(k), 0);
        for (const auto& run : patches.Runs()) {
            if (run.label != int(label)) continue;
            for (int x = run.x0; x <= run.x1; ++x) {
                const double t = (x - mx) * axis.x + (run.y - my) * axis.y;
                const auto part = std::size_t(std::clamp(int((t - lo) / (hi - lo + 1e-9) * k), 0, k - 1));
                n[part] += 1, sx[part] += x, sy[part] += run.y;
            }
        }
        for (std::size_t part = 0; part < std::size_t(k); ++part)
            if (n[part] > 0) place({sx[part] / n[part], sy[part] / n[part]});
    }
    std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) { return a.u < b.u; });
    std::vector<TPoint> markers;
    for (const Found& f : found)
        markers.push_back(f.at);
    return markers;
}

}  // namespace curvana
