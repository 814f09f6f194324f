// The line icons of the formatting toolbar, in the style of the window's own icon set.
#pragma once

#include <QIcon>

enum class TToolbarIconKind {
    Bold, Italic, Underline, BulletList, NumericList, AlignLeft, AlignCenter, AlignRight, Link, TopicLink,
    Image, ReplaceImage, Table, DropDown, ImportHtml, LineSpacing, FontColor, Heading, FontName, FontSize
};

QIcon ToolbarIcon(TToolbarIconKind AKind, int ASize = 20);
