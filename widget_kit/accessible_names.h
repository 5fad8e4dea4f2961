#pragma once
// Names for assistive technology (a screen reader reads a control by its
// accessible name). A control with a label beside it takes the label's text
// as its name and the label as its buddy; others are named directly.
#include <QString>

class QLabel;
class QWidget;

namespace tambril::platform {

// `label` stands beside `control`: its buddy, and its caption without the
// closing ":" as the control's name ("Kennwort:" names the box "Kennwort").
void NameAfterLabel(QLabel& label, QWidget& control);

// Names a control that has no label beside it ("Laufwerk").
void Name(QWidget& control, const QString& name);

}  // namespace tambril::platform
