#pragma once
// A window showing one compiled help file, with "Сохранить в PDF".

#include <QMainWindow>

#include <memory>

class QWebEngineProfile;
class QWebEnginePage;
class QWebEngineView;

namespace tralcon {

class TChmArchive;

class TChmViewerWindow : public QMainWindow {
    Q_OBJECT
  public:
    TChmViewerWindow(std::shared_ptr<const TChmArchive> archive, const QString& chmPath,
                     QWidget* parent);
    ~TChmViewerWindow() override;
    void ShowPage(const QString& page);
    QWebEngineView* View() const { return FView; }
    // Saves the shown page as PDF (A4), asking for the file; also the
    // action's work.
    void SavePdf(const QString& path);

  signals:
    void PdfSaved(const QString& path, bool ok);

  private:
    void SavePdfCmd();

    QString FChmPath;
    QWebEngineProfile* FProfile = nullptr;
    QWebEnginePage* FPage = nullptr;
    QWebEngineView* FView = nullptr;
};

} // namespace tralcon
