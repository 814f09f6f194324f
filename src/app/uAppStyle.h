// The light look of every window: the Fusion style, a light palette and the application's
// style sheet.
#pragma once

class QApplication;

void ApplyLightStyle(QApplication& AApp);
