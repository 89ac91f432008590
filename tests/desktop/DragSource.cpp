// A file manager in miniature for the drop test: a window at the given place
// that, when pressed, drags the given files as a file manager does (file: URLs).
// Usage: drag_source X Y FILE...
#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>
#include <QWidget>

namespace {

class Source : public QWidget {
 public:
  explicit Source(QList<QUrl> urls) : FUrls(std::move(urls)) { setWindowTitle("DragSource"); }

 protected:
  void mousePressEvent(QMouseEvent*) override {
    auto* drag = new QDrag(this);
    auto* data = new QMimeData;
    data->setUrls(FUrls);
    drag->setMimeData(data);
    drag->exec(Qt::CopyAction);  // the target asks for the names after this; stay until killed
  }

 private:
  QList<QUrl> FUrls;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc < 4) return 2;
  QList<QUrl> urls;
  for (int i = 3; i < argc; ++i) urls << QUrl::fromLocalFile(QString::fromLocal8Bit(argv[i]));
  Source source(urls);
  source.setGeometry(std::atoi(argv[1]), std::atoi(argv[2]), 80, 80);
  source.show();
  return app.exec();
}
