#include "viewer/ChmViewerWindow.h"

#include "viewer/ChmArchive.h"
#include "viewer/ChmSchemeHandler.h"
#include "viewer/PdfPrint.h"

#include <QAction>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QToolBar>
#include <QWebEngineHistory>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>

namespace tralcon {

TChmViewerWindow::TChmViewerWindow(std::shared_ptr<const TChmArchive> archive,
                                   const QString& chmPath, QWidget* parent)
    : QMainWindow(parent), FChmPath(chmPath) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QFileInfo(chmPath).fileName());
    // A profile of its own: the scheme handler serves this file only, and
    // nothing is kept on disk.
    FProfile = new QWebEngineProfile(this);
    FProfile->installUrlSchemeHandler(kChmScheme, new TChmSchemeHandler(std::move(archive), this));
    FPage = new QWebEnginePage(FProfile, this);
    FView = new QWebEngineView(this);
    FView->setPage(FPage);
    setCentralWidget(FView);
    connect(FPage, &QWebEnginePage::titleChanged, this, [this](const QString& title) {
        setWindowTitle(title.isEmpty() ? QFileInfo(FChmPath).fileName() : title);
    });

    auto* bar = addToolBar(QStringLiteral("Просмотр"));
    bar->setObjectName(QStringLiteral("ToolBarViewer"));
    bar->setMovable(false);
    QAction* back = FView->pageAction(QWebEnginePage::Back);
    back->setText(QStringLiteral("Назад"));
    QAction* forward = FView->pageAction(QWebEnginePage::Forward);
    forward->setText(QStringLiteral("Вперед"));
    bar->addAction(back);
    bar->addAction(forward);
    auto* pdf = bar->addAction(QStringLiteral("Сохранить в PDF"));
    pdf->setObjectName(QStringLiteral("actSavePdf"));
    connect(pdf, &QAction::triggered, this, &TChmViewerWindow::SavePdfCmd);
    resize(900, 700);
}

TChmViewerWindow::~TChmViewerWindow() {
    // The page goes before the profile it uses.
    FView->setPage(nullptr);
    delete FPage;
    FPage = nullptr;
}

void TChmViewerWindow::ShowPage(const QString& page) {
    FView->load(ChmUrl(page));
}

void TChmViewerWindow::SavePdfCmd() {
    const QString base = QFileInfo(FChmPath).completeBaseName();
    const QString path = QFileDialog::getSaveFileName(
        this, QStringLiteral("Сохранить в PDF"),
        QFileInfo(FChmPath).absoluteDir().filePath(base + QStringLiteral(".pdf")),
        QStringLiteral("Документы PDF (*.pdf)"));
    if (!path.isEmpty())
        SavePdf(path);
}

void TChmViewerWindow::SavePdf(const QString& path) {
    PrintPageToPdf(FPage, path, [this, path](bool ok, const QString& error) {
        if (!ok)
            QMessageBox::critical(this, QStringLiteral("Ошибка"), error);
        emit PdfSaved(path, ok);
    });
}

} // namespace tralcon
