#include "widget_kit/menu_marks.h"

#include <QMenu>
#include <QProxyStyle>
#include <QStyleOptionMenuItem>

namespace tambril::platform {

namespace {

class MarkOnlyWhenChecked : public QProxyStyle {
 public:
  void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                   const QWidget* widget) const override {
    const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    if (element == CE_MenuItem && item && item->checkType != QStyleOptionMenuItem::NotCheckable && !item->checked) {
      QStyleOptionMenuItem plain(*item);
      plain.checkType = QStyleOptionMenuItem::NotCheckable;
      QProxyStyle::drawControl(element, &plain, painter, widget);
      return;
    }
    QProxyStyle::drawControl(element, option, painter, widget);
  }
};

}  // namespace

void ShowMarksOnlyWhenChecked(QMenu& menu) {
  auto* style = new MarkOnlyWhenChecked;
  style->setParent(&menu);
  menu.setStyle(style);
}

}  // namespace tambril::platform
