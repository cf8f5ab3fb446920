// The frameless window's shadow profile, read from the sprite, and the
// resize edges it gives.
#include "ps_main_window.h"
#include "shadow_profile.h"

#include <QTest>

class TestFrameless : public QObject
{
    Q_OBJECT

private slots:
    void profileFromCompiledSprite();
    void profileReadsBlueAsAlpha();
    void spriteWithoutSquareGivesNoShadow();
    void resizeEdges();
};

void TestFrameless::profileFromCompiledSprite()
{
    const ShadowProfile profile = ShadowProfile::fromResource();
    QVERIFY(!profile.isEmpty());
    // The widening pixels are transparent.
    QCOMPARE(profile.alphaAt(0, 5), 0);
    QCOMPARE(profile.alphaAt(25, 25), 0);
    // The shipped tile rises 8, 16, ... 96 over 12 pixels along its rows.
    QCOMPARE(profile.alphaAt(1, 24), 8);
    QCOMPARE(profile.alphaAt(12, 24), 96);
    QCOMPARE(profile.cornerSize(), 11);
    QCOMPARE(profile.thickness(), 12);
    QCOMPARE(profile.tile().pixelColor(0, 23).alpha(), 8);
}

void TestFrameless::profileReadsBlueAsAlpha()
{
    QImage sprite(300, 100, QImage::Format_ARGB32);
    sprite.fill(Qt::transparent);
    // A last row rising over 5 pixels, then falling: corner size 5 + 1 - 2.
    const int values[] = {10, 20, 30, 40, 50, 5};
    for (int x = 0; x < 24; ++x)
        for (int y = 0; y < 24; ++y) {
            const int alpha = x < 6 ? values[x] : 0;
            sprite.setPixel(261 + x, 57 + y, qRgba(0, 0, 255 - alpha, 255));
        }
    const ShadowProfile profile = ShadowProfile::fromSprite(sprite);
    QCOMPARE(profile.alphaAt(1, 1), 10);
    QCOMPARE(profile.alphaAt(5, 24), 50);
    QCOMPARE(profile.cornerSize(), 4);
    QCOMPARE(profile.thickness(), 5);
}

void TestFrameless::spriteWithoutSquareGivesNoShadow()
{
    QVERIFY(ShadowProfile::fromSprite(QImage()).isEmpty());
    QVERIFY(ShadowProfile::fromSprite(QImage(100, 100, QImage::Format_ARGB32)).isEmpty());
    QCOMPARE(ShadowProfile::fromSprite(QImage()).thickness(), 0);
}

void TestFrameless::resizeEdges()
{
    const QRect outer(0, 0, 524, 449);   // 500 x 425 content, margin 12
    const int m = 12, c = 11;
    auto hit = [&](int x, int y) { return PsMainWindow::hitTest(outer, m, c, QPoint(x, y)); };
    QCOMPARE(hit(200, 200), Qt::Edges());                    // content
    QCOMPARE(hit(600, 200), Qt::Edges());                    // outside
    QCOMPARE(hit(200, 3), Qt::Edges(Qt::TopEdge));           // top side: top only
    QCOMPARE(hit(5, 3), Qt::Edges(Qt::LeftEdge | Qt::TopEdge));
    QCOMPARE(hit(200, 445), Qt::Edges(Qt::BottomEdge));
    QCOMPARE(hit(5, 200), Qt::Edges(Qt::LeftEdge));
    QCOMPARE(hit(5, 22), Qt::Edges(Qt::LeftEdge | Qt::TopEdge));       // within the corner size
    QCOMPARE(hit(5, 23), Qt::Edges(Qt::LeftEdge));
    QCOMPARE(hit(520, 430), Qt::Edges(Qt::RightEdge | Qt::BottomEdge));
    QCOMPARE(hit(520, 200), Qt::Edges(Qt::RightEdge));
    // Maximised: no margin, no edges.
    QCOMPARE(PsMainWindow::hitTest(outer, 0, c, QPoint(0, 0)), Qt::Edges());
}

QTEST_MAIN(TestFrameless)
#include "tst_frameless.moc"
