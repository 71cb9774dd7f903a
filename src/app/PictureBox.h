#pragma once

#include <QImage>
#include <QString>
#include <QWidget>

namespace orvalis {

// A clickable box that shows one picture scaled into it, either stretched to
// fill the box or as large as fits with its aspect ratio kept (top-left).
class PictureBox : public QWidget {
    Q_OBJECT

public:
    enum class Fit { Stretch, KeepAspect };

    PictureBox(Fit fit, QWidget* parent);

    void SetPicture(const QImage& picture);
    // What the box says while it has no picture.
    void SetPlaceholder(const QString& text);
    const QString& Placeholder() const { return placeholder_; }
    const QImage& Picture() const { return picture_; }
    // The picture as shown, already scaled to the box.
    const QImage& Shown() const { return shown_; }

signals:
    void Clicked();
    // A local file dropped from the file manager.
    void FileDropped(const QString& path);
    void PictureChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void Rescale();

    Fit fit_;
    QImage picture_;
    QImage shown_;
    QString placeholder_;
};

}  // namespace orvalis
