#pragma once
// Menus whose checkable items show a mark only while they are checked; an
// unchecked item looks like any other item, without an empty check box.
class QMenu;

namespace tambril::platform {

void ShowMarksOnlyWhenChecked(QMenu& menu);

}  // namespace tambril::platform
