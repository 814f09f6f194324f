#include "uColorBox.h"

#include "uQtText.h"

#include <QAbstractItemView>
#include <QColorDialog>
#include <QPainter>
#include <QPixmap>

namespace {

struct TNamedColor {
    TColor Color;
    const char* Name;
};

// Colour values have red in the lowest byte.
const TNamedColor kListColors[] = {
    // standard
    {0x000000, "Black"}, {0x000080, "Maroon"}, {0x008000, "Green"}, {0x008080, "Olive"},
    {0x800000, "Navy"}, {0x800080, "Purple"}, {0x808000, "Teal"}, {0x808080, "Gray"},
    {0xC0C0C0, "Silver"}, {0x0000FF, "Red"}, {0x00FF00, "Lime"}, {0x00FFFF, "Yellow"},
    {0xFF0000, "Blue"}, {0xFF00FF, "Fuchsia"}, {0xFFFF00, "Aqua"}, {0xFFFFFF, "White"},
    // extended
    {0xC0DCC0, "Money Green"}, {0xF0CAA6, "Sky Blue"}, {0xF0FBFF, "Cream"}, {0xA4A0A0, "Medium Gray"},
    // system
    {SystemColor(0), "Scroll Bar"}, {SystemColor(1), "Desktop"}, {SystemColor(2), "Active Caption"},
    {SystemColor(3), "Inactive Caption"}, {SystemColor(4), "Menu"}, {SystemColor(5), "Window"},
    {SystemColor(6), "Window Frame"}, {SystemColor(7), "Menu Text"}, {SystemColor(8), "Window Text"},
    {SystemColor(9), "Caption Text"}, {SystemColor(10), "Active Border"}, {SystemColor(11), "Inactive Border"},
    {SystemColor(12), "Application Workspace"}, {SystemColor(13), "Highlight"}, {SystemColor(14), "Highlight Text"},
    {SystemColor(15), "Button Face"}, {SystemColor(16), "Button Shadow"}, {SystemColor(17), "Gray Text"},
    {SystemColor(18), "Button Text"}, {SystemColor(19), "Inactive Caption Text"},
    {SystemColor(20), "Button Highlight"}, {SystemColor(21), "3D Dark Shadow"}, {SystemColor(22), "3D Light"},
    {SystemColor(23), "Info Text"}, {SystemColor(24), "Info Background"},
};

constexpr int ColorRole = Qt::UserRole;
constexpr int CustomEntryRole = Qt::UserRole + 1;

QIcon Swatch(TColor AColor) {
    QPixmap pm(28, 20);
    pm.setDevicePixelRatio(2.0);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setPen(QColor(0x80, 0x88, 0x92));
    p.setBrush(ToQColor(AColor));
    p.drawRect(QRectF(0.5, 0.5, 13, 9));
    return QIcon(pm);
}

std::optional<TColor> AskColorDialog(TColor ACurrent, QWidget* AParent) {
    const QColor c = QColorDialog::getColor(ToQColor(ACurrent), AParent, "Color");
    if (!c.isValid())
        return std::nullopt;
    return FromQColor(c);
}

}  // namespace

QColor ToQColor(TColor AColor) {
    const uint32_t v = static_cast<uint32_t>(ColorToRgb(AColor));
    return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}

TColor FromQColor(const QColor& AColor) {
    return static_cast<TColor>(uint32_t(AColor.red()) | (uint32_t(AColor.green()) << 8) | (uint32_t(AColor.blue()) << 16));
}

TColorBox::TColorBox(QWidget* AParent) : QComboBox(AParent), FPicker(AskColorDialog) {
    setEditable(false);
    setIconSize(QSize(14, 10));
    for (const TNamedColor& c : kListColors)
        AddColor(c.Color, c.Name);
    addItem(CustomEntryCaption());
    setItemData(count() - 1, true, CustomEntryRole);
    setCurrentIndex(0);
    connect(this, &QComboBox::activated, this, &TColorBox::EntryActivated);
}

QString TColorBox::ColorName(TColor AColor) {
    for (const TNamedColor& c : kListColors)
        if (c.Color == AColor)
            return QString::fromLatin1(c.Name);
    return ToQ(ColorToHtml(AColor));
}

bool TColorBox::IsDroppedDown() const { return view() && view()->isVisible(); }

void TColorBox::AddColor(TColor AColor, const QString& AName, int AAt) {
    const int at = AAt < 0 ? count() : AAt;
    insertItem(at, Swatch(AColor), AName, QVariant::fromValue<int>(AColor));
}

int TColorBox::IndexOfColor(TColor AColor) const {
    for (int i = 0; i < count(); ++i) {
        const QVariant v = itemData(i, ColorRole);
        if (v.isValid() && v.toInt() == AColor)
            return i;
    }
    return -1;
}

TColor TColorBox::Selected() const {
    const QVariant v = itemData(FLastIndex, ColorRole);
    return v.isValid() ? static_cast<TColor>(v.toInt()) : 0;
}

void TColorBox::Select(TColor AColor) {
    int index = IndexOfColor(AColor);
    if (index < 0) {
        index = count() - 1;  // before "Custom..."
        AddColor(AColor, ColorName(AColor), index);
    }
    FLastIndex = index;
    setCurrentIndex(index);
}

void TColorBox::EntryActivated(int AIndex) {
    if (itemData(AIndex, CustomEntryRole).toBool()) {
        const std::optional<TColor> chosen = FPicker ? FPicker(Selected(), this) : std::nullopt;
        if (!chosen) {
            setCurrentIndex(FLastIndex);
            return;
        }
        Select(*chosen);
        emit colorChosen(*chosen);
        return;
    }
    if (AIndex < 0)
        return;
    FLastIndex = AIndex;
    emit colorChosen(Selected());
}
