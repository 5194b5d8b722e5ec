#include "gui/toolicons.hpp"

#include <QFile>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

// The resources live in a static library: they are linked only when
// something names them.
static void initIconResources() { Q_INIT_RESOURCE(icons); }

namespace {

QIcon iconFromSvg(const QString& path, std::initializer_list<int> sizes) {
  initIconResources();
  if (!QFile::exists(path)) return {};
  QSvgRenderer renderer(path);
  if (!renderer.isValid()) return {};
  QIcon icon;
  for (int size : sizes) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
    painter.end();
    icon.addPixmap(pixmap);
  }
  return icon;
}

}  // namespace

QIcon toolIcon(const QString& name) {
  return iconFromSvg(":/icons/" + name.toLower() + ".svg", {16, 24, 32, 48});
}

QIcon programIcon() { return iconFromSvg(":/icons/plicato.svg", {16, 24, 32, 48, 64, 128}); }
