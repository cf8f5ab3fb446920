#pragma once

#include "shadow_profile.h"

#include <QSize>
#include <QWidget>

// The frameless top-level base of the main window. The page draws the
// title bar and buttons; this class keeps the rest of a window's behaviour:
// a drop shadow drawn around the content from the sprite's alpha profile,
// resize borders on the shadow (corners within the profile's corner size of
// a side's end), maximising to the screen's available geometry and
// restoring from it. The shadow is the widget's contents margins: the
// content (the web view) fills contentsRect(); maximised or minimised, the
// margins are 0.
class PsMainWindow : public QWidget
{
    Q_OBJECT
public:
    explicit PsMainWindow(QWidget* parent = nullptr);

    // Frameless flags, translucency for the shadow, the state connection.
    // The content keeps its size: the shadow goes around it.
    void setupFrameless();

    // Size limits of the content; the widget's own limits add the margins.
    // A minimum beyond the maximum raises the maximum, a maximum below the
    // minimum lowers the minimum.
    void setContentMinimumSize(const QSize& size);
    void setContentMaximumSize(const QSize& size);
    // Sizes the window so that its content (the web view) is size.
    void resizeContent(const QSize& size);
    QSize contentMinimumSize() const { return m_contentMin; }
    QSize contentMaximumSize() const { return m_contentMax; }

    void maximizeToWorkArea();
    void restoreFromMaximized();

    int shadowMargin() const;
    const ShadowProfile& shadowProfile() const { return m_profile; }

    // Which resize edges a point of the widget (in widget coordinates)
    // grabs: none inside the content; on the left or right shadow the side,
    // with the top or bottom corner within `corner` of the side's ends; on
    // the top or bottom shadow that side alone.
    static Qt::Edges hitTest(const QRect& outer, int margin, int corner, const QPoint& point);

signals:
    void stateChanged(Qt::WindowStates state);

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void applyLimits();

    ShadowProfile m_profile;
    QImage m_tile;
    QSize m_contentMin{0, 0};
    QSize m_contentMax{QWIDGETSIZE_MAX, QWIDGETSIZE_MAX};
    bool m_frameless = false;
};
