#include "platform/accessible_names.h"

#include <QLabel>

namespace tambril::platform {

void NameAfterLabel(QLabel& label, QWidget& control) {
  label.setBuddy(&control);
  QString name = label.text().trimmed();
  if (name.endsWith(QLatin1Char(':'))) name.chop(1);
  control.setAccessibleName(name.trimmed());
}

}  // namespace tambril::platform
