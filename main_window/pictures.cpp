#include "main_window/pictures.h"

#include <QIcon>
#include <QPainter>
#include <QPainterPath>

#include "platform/text_rules.h"

namespace tambril {
namespace {

void Lock(QPainter& p, const QRect& r, bool closed, const QColor& body) {
  p.setRenderHint(QPainter::Antialiasing);
  const int w = r.width();
  const int h = r.height();
  const QRect bodyRect(r.left() + w / 6, r.top() + h * 2 / 5, w * 2 / 3, h * 3 / 5 - 1);
  QPen shackle(QColor(0x40, 0x40, 0x40), std::max(2, w / 12));
  p.setPen(shackle);
  p.setBrush(Qt::NoBrush);
  const int sw = bodyRect.width() * 2 / 3;
  const int sx = closed ? bodyRect.center().x() - sw / 2 : bodyRect.center().x();
  QPainterPath arc;
  arc.moveTo(sx, bodyRect.top() + (closed ? 0 : -h / 10));
  arc.lineTo(sx, r.top() + h / 4);
  arc.arcTo(QRectF(sx, r.top() + h / 12, sw, h / 3), 180, -180);
  arc.lineTo(sx + sw, bodyRect.top());
  p.drawPath(arc);
  p.setPen(QPen(QColor(0x20, 0x20, 0x20), 1));
  p.setBrush(body);
  p.drawRoundedRect(bodyRect, 3, 3);
  p.setBrush(QColor(0x20, 0x20, 0x20));
  p.drawEllipse(QPoint(bodyRect.center().x(), bodyRect.center().y() - 2), 3, 3);
}

}  // namespace

QPixmap StartPicture() {
  QPixmap pm(362, 48);
  pm.fill(BgrColor(0x00E0E0E0));
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.fillRect(QRect(0, 0, 362, 48), QColor(0x10, 0x20, 0x60));
  QFont code(QStringLiteral("DejaVu Sans Mono"));
  code.setPixelSize(9);
  p.setFont(code);
  p.setPen(QColor(0x50, 0x70, 0xb0));
  const QString noise = QStringLiteral("x7#Qm9%Lk2@Zr4&Wp8!Tf3$Hb6^Nd1*Yc5+Gv0=Js7~Ue2");
  for (int row = 0; row < 5; ++row) p.drawText(2, 9 + row * 9, noise.mid(row * 3) + noise.left(row * 3));
  QFont title = DialogFont(20, true);
  title.setFamily(QStringLiteral("DejaVu Serif"));
  title.setPixelSize(30);
  p.setFont(title);
  p.setPen(QColor(0xe0, 0x30, 0x30));
  p.drawText(QRect(0, 0, 362, 48), Qt::AlignCenter, QStringLiteral("TAMBRIL"));
  return pm;
}

QPixmap EncodedPicture() {
  QPixmap pm(50, 45);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  Lock(p, pm.rect(), true, QColor(0xc0, 0x30, 0x30));
  return pm;
}

QPixmap PlainPicture() {
  QPixmap pm(50, 45);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  Lock(p, pm.rect(), false, QColor(0x30, 0xa0, 0x40));
  return pm;
}

QIcon ProgramIcon() {
  QPixmap pm(32, 32);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  Lock(p, pm.rect(), true, QColor(0x10, 0x20, 0x60));
  return QIcon(pm);
}

}  // namespace tambril
