#include "shadow_profile.h"

#include <QColor>

namespace {
constexpr int kSide = ShadowProfile::kSquare + 2 * ShadowProfile::kShift;
}

ShadowProfile ShadowProfile::fromResource()
{
    return fromSprite(QImage(QStringLiteral(":/image/sprite")));
}

ShadowProfile ShadowProfile::fromSprite(const QImage& sprite)
{
    ShadowProfile profile;
    const QRect square = spriteSquare();
    if (sprite.isNull() || !sprite.rect().contains(square))
        return profile;
    profile.m_alpha.fill(0, kSide * kSide);
    for (int y = 0; y < kSquare; ++y)
        for (int x = 0; x < kSquare; ++x) {
            const QRgb pixel = sprite.pixel(square.left() + x, square.top() + y);
            profile.m_alpha[(y + kShift) * kSide + x + kShift] = 255 - qBlue(pixel);
        }

    // The rising run along the square's last row, from the profile's edge.
    const int row = kShift + kSquare - 1;
    int run = 1;
    while (run < kSide && profile.alphaAt(run, row) > profile.alphaAt(run - 1, row))
        ++run;
    profile.m_cornerSize = qMax(0, run - 2 * kShift);
    profile.m_thickness = qMax(0, run - kShift);
    return profile;
}

int ShadowProfile::alphaAt(int x, int y) const
{
    if (m_alpha.isEmpty() || x < 0 || y < 0 || x >= kSide || y >= kSide)
        return 0;
    return m_alpha[y * kSide + x];
}

QImage ShadowProfile::tile() const
{
    QImage image(kSquare, kSquare, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    if (m_alpha.isEmpty())
        return image;
    for (int y = 0; y < kSquare; ++y)
        for (int x = 0; x < kSquare; ++x)
            image.setPixelColor(x, y, QColor(0, 0, 0, alphaAt(x + kShift, y + kShift)));
    return image;
}
