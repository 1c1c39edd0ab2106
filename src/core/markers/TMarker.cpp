#include "markers/TMarker.h"

#include "platform/NumberText.h"

namespace curvana {

std::int32_t MSize = 4;

std::int64_t MarkerGap() {
    return 10 * Round(MSize / 4.0);
}

std::int64_t TMarker::ScreenX(std::int64_t ox, double z) const {
    return ox + Round(z * X);
}
std::int64_t TMarker::ScreenY(std::int64_t oy, double z) const {
    return oy + Round(z * Y);
}

void TMarker::Draw(Canvas& canvas, std::int64_t ox, std::int64_t oy, double z) const {
    const std::int64_t s = MSize;
    const std::int64_t x = ScreenX(ox, z);
    const std::int64_t y = ScreenY(oy, z);
    canvas.SetPenColor(Color);
    canvas.MoveTo(x - s, y + s);
    canvas.LineTo(x + s, y + s);
    canvas.LineTo(x + s, y - s);
    canvas.LineTo(x - s, y - s);
    canvas.LineTo(x - s, y + s);
    canvas.MoveTo(x - 2 * s, y);
    canvas.LineTo(x - 1, y);
    canvas.MoveTo(x + 2, y);
    canvas.LineTo(x + 2 * s, y);
    canvas.MoveTo(x, y - 2 * s);
    canvas.LineTo(x, y - 1);
    canvas.MoveTo(x, y + 2);
    canvas.LineTo(x, y + 2 * s);
}

void TMarker::Erase(Canvas& canvas, const Bitmap& background, std::int64_t ox, std::int64_t oy,
                    double z) const {
    const std::int64_t s = MSize;
    const std::int64_t xz = Round(z * X);
    const std::int64_t yz = Round(z * Y);
    TRect src{xz - 2 * s, yz - 2 * s, xz + 2 * s, yz + 2 * s};
    canvas.CopyRect({src.Left + ox, src.Top + oy, src.Right + ox, src.Bottom + oy}, background, src);
}

bool TMarker::HitTest(TPoint p, double z) const {
    const double t = MSize / z;
    return X - t <= p.X && p.X <= X + t && Y - t <= p.Y && p.Y <= Y + t;
}

}  // namespace curvana
