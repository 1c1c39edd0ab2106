#include "document/TMarkerBox.h"

#include <algorithm>
#include <cmath>

#include "platform/NumberText.h"

namespace curvana {

namespace {

constexpr int kEdges[4][2] = {{1, 2}, {2, 4}, {3, 4}, {1, 3}};

}  // namespace

TMarkerBox::TMarkerBox() {
    for (TMarker& m : Markers)
        m.Color = clRed;
}

void TMarkerBox::Draw(Canvas& canvas, std::int64_t ox, std::int64_t oy, double zoom) const {
    for (const TMarker& m : Markers)
        m.Draw(canvas, ox, oy, zoom);
    const double gap = double(MarkerGap());
    for (const auto& edge : kEdges) {
        const TMarker& a = Marker(edge[0]);
        const TMarker& b = Marker(edge[1]);
        const double dx = (double(b.X) - a.X) * zoom;
        const double dy = (double(b.Y) - a.Y) * zoom;
        const double len = std::sqrt(dx * dx + dy * dy);
        // Two corners at the same place (possible in a project file) have no edge between them.
        if (!(len > 0)) continue;
        canvas.MoveTo(ox + Round(a.X * zoom + gap * dx / len), oy + Round(a.Y * zoom + gap * dy / len));
        canvas.LineTo(ox + Round(b.X * zoom - gap * dx / len), oy + Round(b.Y * zoom - gap * dy / len));
    }
}

void TMarkerBox::Erase(Canvas& canvas, const Bitmap& background, double zoom, std::int64_t ox,
                       std::int64_t oy, int which) const {
    if (which < 1 || which > 4) return;
    for (const auto& edge : kEdges) {
        if (edge[0] != which && edge[1] != which) continue;
        const TMarker& a = Marker(edge[0]);
        const TMarker& b = Marker(edge[1]);
        const std::int64_t ax = Round(a.X * zoom), ay = Round(a.Y * zoom);
        const std::int64_t bx = Round(b.X * zoom), by = Round(b.Y * zoom);
        TRect src{std::min(ax, bx) - 1, std::min(ay, by) - 1, std::max(ax, bx) + 1, std::max(ay, by) + 1};
        canvas.CopyRect({src.Left + ox, src.Top + oy, src.Right + ox, src.Bottom + oy}, background, src);
    }
    Marker(which).Erase(canvas, background, ox, oy, zoom);
}

bool TMarkerBox::CanMoveTo(int which, std::int32_t x, std::int32_t y) const {
    const double px = x, py = y;
    auto cx = [this](int n) { return double(Marker(n).X); };
    auto cy = [this](int n) { return double(Marker(n).Y); };
    // A condition on a line through two corners that lie one above the other (for "at x") or side by
    // side (for "at y") has no value; such boxes only come from project files, and skipping the
    // condition there keeps the corners movable so the user can mend the box. The remaining
    // conditions still keep the corner on its own side of the opposite corner.
    auto belowLineAtX = [&](int a, int b, double yy) {  // yy > line(a, b) at x
        if (cx(a) == cx(b)) return true;
        return yy > cy(a) - (cy(a) - cy(b)) * (cx(a) - px) / (cx(a) - cx(b));
    };
    auto aboveLineAtX = [&](int a, int b, double yy) {  // yy < line(a, b) at x
        if (cx(a) == cx(b)) return true;
        return yy < cy(a) - (cy(a) - cy(b)) * (cx(a) - px) / (cx(a) - cx(b));
    };
    auto leftOfLineAtY = [&](int a, int b, double xx) {  // xx < line(a, b) at y
        if (cy(a) == cy(b)) return true;
        return xx < cx(a) - (cx(a) - cx(b)) * (cy(a) - py) / (cy(a) - cy(b));
    };
    auto rightOfLineAtY = [&](int a, int b, double xx) {  // xx > line(a, b) at y
        if (cy(a) == cy(b)) return true;
        return xx > cx(a) - (cx(a) - cx(b)) * (cy(a) - py) / (cy(a) - cy(b));
    };
    switch (which) {
        case 1:
            return px + 1 < cx(4) && py - 1 > cy(4) && belowLineAtX(2, 3, py - 1) &&
                   belowLineAtX(4, 3, py - 1) && leftOfLineAtY(2, 4, px + 1);
        case 2:
            return px - 1 > cx(3) && py - 1 > cy(3) && belowLineAtX(4, 1, py - 1) &&
                   belowLineAtX(4, 3, py - 1) && rightOfLineAtY(1, 3, px - 1);
        case 3:
            return px + 1 < cx(2) && py + 1 < cy(2) && aboveLineAtX(4, 1, py + 1) &&
                   aboveLineAtX(2, 1, py + 1) && leftOfLineAtY(2, 4, px + 1);
        case 4:
            return px - 1 > cx(1) && py + 1 < cy(1) && aboveLineAtX(2, 3, py + 1) &&
                   aboveLineAtX(2, 1, py + 1) && rightOfLineAtY(1, 3, px - 1);
        default:
            return true;
    }
}

void TMarkerBox::SetCorner(std::int32_t x, std::int32_t y, int which) {
    if (which >= 1 && which <= 4) Marker(which).SetPosition({x, y});
}

void TMarkerBox::PlaceCorners(const std::array<std::int32_t, 4>& xs, const std::array<std::int32_t, 4>& ys) {
    // Squared distances from the picture's top-left corner, exact for any 32-bit position.
    std::array<std::uint64_t, 4> d;
    for (int i = 0; i < 4; ++i) {
        std::uint64_t x = std::uint64_t(std::abs(std::int64_t(xs[i])));
        std::uint64_t y = std::uint64_t(std::abs(std::int64_t(ys[i])));
        d[i] = x * x + y * y;
    }
    // The nearest point is corner 3 and the farthest corner 2. Several points at the same smallest
    // or largest distance would leave fewer than two points for corners 1 and 4; so only the first
    // of them (in index order) is taken, and the farthest is sought among the points left.
    std::array<bool, 4> assigned{};
    int nearest = 0;
    for (int i = 1; i < 4; ++i)
        if (d[i] < d[nearest]) nearest = i;
    assigned[nearest] = true;
    SetCorner(xs[nearest], ys[nearest], 3);
    int farthest = -1;
    for (int i = 0; i < 4; ++i)
        if (!assigned[i] && (farthest < 0 || d[i] > d[farthest])) farthest = i;
    assigned[farthest] = true;
    SetCorner(xs[farthest], ys[farthest], 2);

    // Of the two points left, p is the one with the lower index, unless point 0 is among them, which
    // then is q. The one whose direction lies nearer the x axis, r = x^2 / (x^2 + y^2), is corner 4.
    int p = -1, q = -1;
    for (int i = 0; i < 4; ++i) {
        if (assigned[i]) continue;
        if (p < 0)
            p = i;
        else
            q = i;
    }
    if (p == 0) std::swap(p, q);
    // r(q) > r(p), compared exactly by cross-multiplying; a point at the origin counts as r = 0.
    using Wide = unsigned __int128;
    auto xx = [&](int i) {
        std::uint64_t x = std::uint64_t(std::abs(std::int64_t(xs[i])));
        return Wide(x) * x;
    };
    bool qNearerXAxis;
    if (d[q] == 0)
        qNearerXAxis = false;
    else if (d[p] == 0)
        qNearerXAxis = xx(q) > 0;
    else
        qNearerXAxis = xx(q) * d[p] > xx(p) * d[q];
    if (qNearerXAxis) {
        SetCorner(xs[p], ys[p], 1);
        SetCorner(xs[q], ys[q], 4);
    } else {
        SetCorner(xs[p], ys[p], 4);
        SetCorner(xs[q], ys[q], 1);
    }
}

}  // namespace curvana
