#pragma once

#include <QImage>
#include <QRect>
#include <QVector>

// The window shadow's shape, read from the sprite image: the 24 x 24 square
// at (261, 57) holds the top-left corner of the shadow, its alpha given as
// 255 minus each pixel's blue component. The profile is that square widened
// by one transparent pixel on each side (26 x 26). The corner size is the
// length of the rising run of alpha values along the square's last row in
// the profile, less twice the widening: how far from a side's end a point
// still counts as the corner for resizing. The shadow is as thick as the
// alpha keeps rising along that row.
class ShadowProfile
{
public:
    static constexpr int kSquare = 24;
    static constexpr int kShift = 1;
    static QRect spriteSquare() { return QRect(261, 57, kSquare, kSquare); }

    // From the compiled ":/image/sprite".
    static ShadowProfile fromResource();
    // A sprite without the square gives an empty profile (no shadow).
    static ShadowProfile fromSprite(const QImage& sprite);

    bool isEmpty() const { return m_alpha.isEmpty(); }
    int alphaAt(int x, int y) const;      // in the widened 26 x 26 profile
    int cornerSize() const { return m_cornerSize; }
    int thickness() const { return m_thickness; }
    // The square as a black image with the profile's alpha (the shadow tile).
    QImage tile() const;

private:
    QVector<int> m_alpha;   // 26 x 26, row-major
    int m_cornerSize = 0;
    int m_thickness = 0;
};
