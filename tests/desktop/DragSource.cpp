// A file manager in miniature for the drop test: a window at the given place
// that, when pressed, drags the given files as a file manager does (file: URLs).
// It says on stdout when the drag begins ("dragging"), when a target accepts it
// ("accepted"), when it is over ("dropped") and when the target has taken the
// names ("delivered"), for a test to wait on.
// Usage: drag_source X Y FILE...
#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>
#include <QWidget>
#include <cstdio>

namespace {

void Say(const char* what) {
  std::printf("%s\n", what);
  std::fflush(stdout);
}

// The names, said to be delivered once the target has asked for them.
class Names : public QMimeData {
 protected:
  QVariant retrieveData(const QString& type, QMetaType as) const override {
    if (type == "text/uri-list") Say("delivered");
    return QMimeData::retrieveData(type, as);
  }
};

class Source : public QWidget {
 public:
  explicit Source(QList<QUrl> urls) : FUrls(std::move(urls)) { setWindowTitle("DragSource"); }

 protected:
  void mousePressEvent(QMouseEvent*) override {
    auto* drag = new QDrag(this);
    auto* data = new Names;
    data->setUrls(FUrls);
    drag->setMimeData(data);
    connect(drag, &QDrag::actionChanged, [](Qt::DropAction action) {
      if (action != Qt::IgnoreAction) Say("accepted");
    });
    Say("dragging");
    drag->exec(Qt::CopyAction);  // the target asks for the names after this; stay until killed
    Say("dropped");
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
