#include "markers/TMarkerLine.h"

#include <algorithm>
#include <cmath>

#include "platform/NumberText.h"

namespace curvana {

namespace {

// Squared distance between two pixel positions, exact for any 32-bit coordinates.
using Wide = __int128;
Wide SquaredDistance(std::int64_t ax, std::int64_t ay, std::int64_t bx, std::int64_t by) {
    Wide dx = ax - bx;
    Wide dy = ay - by;
    return dx * dx + dy * dy;
}

Wide SquaredDistance(TPoint a, const TMarker& b) {
    return SquaredDistance(a.X, a.Y, b.X, b.Y);
}
Wide SquaredDistance(const TMarker& a, const TMarker& b) {
    return SquaredDistance(a.X, a.Y, b.X, b.Y);
}

constexpr double kFar = 1e99;

}  // namespace

TMarkerLine::TMarkerLine(TPoint p1, TPoint p2) {
    Markers.push_back(std::make_unique<TMarker>());
    Markers.push_back(std::make_unique<TMarker>());
    Markers[0]->SetPosition(p1);
    Markers[1]->SetPosition(p2);
}

int TMarkerLine::SlotOf(const TMarker* marker) const {
    for (int i = 0; i < Count(); ++i)
        if (Markers[std::size_t(i)].get() == marker) return i;
    return -1;
}

void TMarkerLine::InsertMarker(TPoint p, int lower, int upper) {
    int slot = lower >= 0 ? upper : (upper == 0 ? 0 : Count());
    Markers.push_back(std::make_unique<TMarker>());
    for (int s = Count() - 1; s > slot; --s) {
        TMarker& to = Marker(s);
        const TMarker& from = Marker(s - 1);
        to.X = from.X;
        to.Y = from.Y;
        to.Color = from.Color;
    }
    TMarker& inserted = Marker(slot);
    inserted.SetPosition(p);
    inserted.Color = Color;
}

void TMarkerLine::DeleteMarker(int slot) {
    for (int k = slot + 1; k < Count(); ++k) {
        TMarker& to = Marker(k - 1);
        const TMarker& from = Marker(k);
        to.X = from.X;
        to.Y = from.Y;
        to.Color = from.Color;
    }
    Markers.pop_back();
}

void TMarkerLine::Draw(Canvas& canvas, std::int64_t ox, std::int64_t oy, double z) {
    canvas.SetPenColor(Color);
    const double g = double(MarkerGap());
    Marker(0).Color = Color;
    Marker(0).Draw(canvas, ox, oy, z);
    for (int i = 1; i < Count(); ++i) {
        TMarker& m = Marker(i);
        const TMarker& prev = Marker(i - 1);
        m.Color = Color;
        m.Draw(canvas, ox, oy, z);
        const double dx = z * (double(m.X) - prev.X);
        const double dy = z * (double(m.Y) - prev.Y);
        const double len = std::max(std::sqrt(dx * dx + dy * dy), 1e-6);
        canvas.MoveTo(ox + Round(z * prev.X + g * dx / len), oy + Round(z * prev.Y + g * dy / len));
        canvas.LineTo(ox + Round(z * m.X - g * dx / len), oy + Round(z * m.Y - g * dy / len));
    }
}

void TMarkerLine::EraseMarker(Canvas& canvas, const Bitmap& background, int slot, std::int64_t ox,
                              std::int64_t oy, double z) const {
    auto eraseSegment = [&](const TMarker& a, const TMarker& b) {
        const std::int64_t ax = Round(z * a.X), ay = Round(z * a.Y);
        const std::int64_t bx = Round(z * b.X), by = Round(z * b.Y);
        TRect src{std::min(ax, bx) - 1, std::min(ay, by) - 1, std::max(ax, bx) + 1, std::max(ay, by) + 1};
        canvas.CopyRect({src.Left + ox, src.Top + oy, src.Right + ox, src.Bottom + oy}, background, src);
    };
    if (slot > 0) eraseSegment(Marker(slot - 1), Marker(slot));
    if (slot < Count() - 1) eraseSegment(Marker(slot), Marker(slot + 1));
    Marker(slot).Erase(canvas, background, ox, oy, z);
}

double TMarkerLine::FindNearest(TPoint p, int& index, int& neighbour) const {
    // Nearest marker; on a tie the earlier one stays.
    Wide best = 0;
    index = 0;
    for (int i = 0; i < Count(); ++i) {
        Wide d = SquaredDistance(p, Marker(i));
        if (i == 0 || d < best) {
            best = d;
            index = i;
        }
    }
    double bestDistance = double(best);

    // The neighbour on the side of p, or -1 beyond an end of the chain.
    const int last = Count() - 1;
    if (index == 0) {
        neighbour = SquaredDistance(p, Marker(1)) >= SquaredDistance(Marker(0), Marker(1)) ? -1 : 1;
    } else if (index == last) {
        neighbour = SquaredDistance(p, Marker(last - 1)) >= SquaredDistance(Marker(last), Marker(last - 1))
                        ? -1
                        : last - 1;
    } else {
        neighbour = SquaredDistance(p, Marker(index - 1)) < SquaredDistance(p, Marker(index + 1)) ? index - 1
                                                                                                  : index + 1;
    }

    // Segments whose perpendicular foot lies strictly inside them.
    for (int i = 0; i < last; ++i) {
        const TMarker& a = Marker(i);
        const TMarker& b = Marker(i + 1);
        double d = kFar;
        if (a.X != b.X) {
            const double m = (double(a.Y) - b.Y) / (double(a.X) - b.X);
            const double q = a.Y - m * a.X;
            const double fx = (p.X + m * (p.Y - q)) / (m * m + 1);
            const double fy = m * fx + q;
            if (std::min(a.X, b.X) < fx && fx < std::max(a.X, b.X))
                d = (p.X - fx) * (p.X - fx) + (p.Y - fy) * (p.Y - fy);
        } else if (std::min(a.Y, b.Y) < p.Y && p.Y < std::max(a.Y, b.Y)) {
            // A vertical segment counts too when p lies beside its inside: the foot is (X, p.Y).
            // Without this a vertical stretch of a curve could only be reached through its ends.
            d = (double(p.X) - a.X) * (double(p.X) - a.X);
        }
        if (d < bestDistance) {
            bestDistance = d;
            index = i;
            neighbour = i + 1;
        }
    }
    return bestDistance;
}

bool TMarkerLine::HitTest(TPoint p) const {
    int index = 0, neighbour = 0;
    return FindNearest(p, index, neighbour) <= 16;
}

}  // namespace curvana
