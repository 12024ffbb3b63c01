#pragma once

#include <QProxyStyle>

// The person's style, with the arrows of the menu and tool bars read as PNG: asked for them,
// Qt's own styles first look the icon theme up and then let every image plugin, the SVG
// libraries among them, try each of the pictures, some milliseconds of every start. Other
// styles keep their own arrows.
class CQuorbexStyle : public QProxyStyle
{
public:
    // strKey: the name of the style to draw with, as QStyleFactory knows it.
    explicit CQuorbexStyle(const QString& strKey);

    QIcon standardIcon(StandardPixmap nIcon, const QStyleOption* pOption = nullptr,
                       const QWidget* pWidget = nullptr) const override;

private:
    bool m_bQtStyle;
};
