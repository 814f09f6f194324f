#include "uAppStyle.h"

#include <QApplication>
#include <QFont>
#include <QPalette>
#include <QStyleFactory>

namespace {

const char* const AppStyleSheet = R"(
QMainWindow { background: #F4F6F9; }
QMenuBar { background: #FFFFFF; border-bottom: 1px solid #E1E4E8; padding: 2px 4px; }
QMenuBar::item { padding: 5px 10px; border-radius: 4px; background: transparent; }
QMenuBar::item:selected { background: #EAF0F8; }
QMenu { background: #FFFFFF; border: 1px solid #D5DAE0; padding: 4px 0; }
QMenu::item { padding: 6px 28px 6px 22px; }
QMenu::item:selected { background: #E3EBF7; color: #16202B; }
QMenu::item:disabled { color: #A3AAB3; }
QMenu::separator { height: 1px; background: #E6E9ED; margin: 4px 8px; }
#pnlLeft { background: #F7F8FA; border-right: 1px solid #E1E4E8; }
#pnlLeftTop { background: #F7F8FA; border-bottom: 1px solid #E6E9ED; }
#pnlLeftTop QToolButton { border: 1px solid transparent; border-radius: 6px; background: transparent; }
#pnlLeftTop QToolButton:hover { background: #E6ECF5; border-color: #D3DDEB; }
#pnlLeftTop QToolButton:pressed { background: #D6E0EE; }
#tvToc { background: #F7F8FA; border: none; padding: 6px 0; outline: 0; show-decoration-selected: 1; }
#tvToc::item { padding: 4px 2px; color: #1F2933; }
#tvToc::item:hover { background: #EDF1F6; }
#tvToc::item:selected { background: #DCE7F8; color: #102A43; }
#pnlRight { background: #FFFFFF; }
#pnlToolbar { background: #FFFFFF; border-bottom: 1px solid #E6E9ED; }
#Edge { background: #FFFFFF; }
#EditorPlaceholder { color: #9AA3AE; font-size: 11pt; }
QSplitter::handle { background: #E1E4E8; }
QStatusBar { background: #F4F6F9; border-top: 1px solid #E1E4E8; color: #4A5563; }
QStatusBar::item { border: none; }
#StatusText { padding-left: 6px; color: #4A5563; }
#lbHomepageURL { color: #2B6CD4; padding-right: 10px; }
QToolTip { background: #1F2933; color: #FFFFFF; border: none; padding: 4px 6px; }
)";

}  // namespace

void ApplyLightStyle(QApplication& AApp) {
    if (QStyle* fusion = QStyleFactory::create("Fusion"))
        AApp.setStyle(fusion);
    QPalette pal;
    pal.setColor(QPalette::Window, QColor(0xF4, 0xF6, 0xF9));
    pal.setColor(QPalette::WindowText, QColor(0x1F, 0x29, 0x33));
    pal.setColor(QPalette::Base, QColor(0xFF, 0xFF, 0xFF));
    pal.setColor(QPalette::AlternateBase, QColor(0xF7, 0xF8, 0xFA));
    pal.setColor(QPalette::Text, QColor(0x1F, 0x29, 0x33));
    pal.setColor(QPalette::Button, QColor(0xF7, 0xF8, 0xFA));
    pal.setColor(QPalette::ButtonText, QColor(0x1F, 0x29, 0x33));
    pal.setColor(QPalette::Highlight, QColor(0x2B, 0x6C, 0xD4));
    pal.setColor(QPalette::HighlightedText, QColor(0xFF, 0xFF, 0xFF));
    pal.setColor(QPalette::ToolTipBase, QColor(0x1F, 0x29, 0x33));
    pal.setColor(QPalette::ToolTipText, QColor(0xFF, 0xFF, 0xFF));
    pal.setColor(QPalette::Disabled, QPalette::Text, QColor(0xA3, 0xAA, 0xB3));
    pal.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0xA3, 0xAA, 0xB3));
    pal.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(0xA3, 0xAA, 0xB3));
    AApp.setPalette(pal);
    QFont f = AApp.font();
    f.setPointSizeF(10);
    AApp.setFont(f);
    AApp.setStyleSheet(AppStyleSheet);
}
