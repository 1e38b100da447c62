#pragma once
// The timing diagram of one cycle in a window of its own: zoomable (the
// buttons, Ctrl and the wheel, Ctrl and + or −), repainted from the project
// whenever it changes, and saved as PNG or SVG.

#include <QDialog>

#include <functional>

class QLabel;
class QScrollArea;

namespace tralcon {

class TCycle;
class TMainDialogs;
class TProject;

class TDiagramView : public QDialog {
    Q_OBJECT
  public:
    // project: asked for the project on show each time it paints.
    TDiagramView(QWidget* parent, std::function<const TProject*()> project, TMainDialogs& dialogs);

    // Shows the cycle; the view follows it until it is deleted.
    void ShowCycle(const TCycle* cycle);
    // The project changed: repaint, or close when the cycle is gone.
    void ProjectChanged();
    // The cycle's index in the project, -1 when it is gone.
    int CycleIndex() const;
    double PixelsPerSecond() const { return FScale; }
    void SetPixelsPerSecond(double scale);
    // Saves the diagram; false (after the message) when it could not be.
    bool SaveAs(const QString& path);

    QWidget* Canvas = nullptr;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Relayout();

    std::function<const TProject*()> FProject;
    TMainDialogs& FDialogs;
    const TCycle* FCycle = nullptr;
    double FScale = 8;
    QScrollArea* FScroll = nullptr;
    QString FLastFile;
};

} // namespace tralcon
