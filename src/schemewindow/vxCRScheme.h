#pragma once
// The scheme's drawing control: the background picture with the scheme
// objects on top, one selection, and the gestures that select, move,
// resize, duplicate, reorder and delete objects and edit a trajectory's
// points. It draws and edits the objects of a scheme document it is given
// and knows nothing of directions or phases. It can be shown enlarged; the
// scheme's coordinates stay those of its 200 x 200 drawing area.

#include "scheme/SchemeDocument.h"
#include "schemeview/QtCanvas.h"
#include "schemeview/SchemeRender.h"

#include <QImage>
#include <QWidget>

#include <memory>

namespace tralcon {

class TvxCRScheme : public QWidget {
    Q_OBJECT

  public:
    explicit TvxCRScheme(QWidget* parent = nullptr);
    ~TvxCRScheme() override;

    // The scheme drawn and edited (not owned); none shows the caption only.
    void SetScheme(TSchemeDocument* scheme);
    TSchemeDocument* Scheme() const { return FScheme; }

    // The background changed in the document: render it again.
    void BackgroundChanged();

    bool Editable() const { return FEditable; }
    void SetEditable(bool on);
    // 1 to 4 screen pixels per scheme pixel.
    int Zoom() const { return FZoom; }
    void SetZoom(int zoom);
    const TSchemeLook& Look() const { return FLook; }

    // --- objects (back to front in the document)
    // Appends a new object of the prototype's class in front of all others,
    // of no row; no repaint, no notification.
    TvxSchemeObject* AddObject(const TvxSchemeObject& prototype);
    TvxSchemeObject* AddObject(std::unique_ptr<TvxSchemeObject> object, int row = -1);
    void RemoveObject(TvxSchemeObject* object);
    // RemoveObject, repaint and Change(nullptr).
    void DeleteObject(TvxSchemeObject* object);
    void ClearObjects();
    TvxSchemeObject* SelectedObject() const { return FSelected; }
    void SelectObject(TvxSchemeObject* object);
    void SendToBack(TvxSchemeObject* object);
    void BringToFront(TvxSchemeObject* object);

    // Painting is suspended while the count is above 0; nested pairs count.
    void BeginUpdate() { ++FUpdateLock; }
    void EndUpdate();

    // The object under a point of the drawing area (scheme coordinates).
    TvxSchemeObject* ObjectAt(int x, int y);
    // The scene as on screen at the drawing area's size.
    QImage PaintTo();
    // The drawing area in scheme coordinates.
    TRect ClientRect() const { return {0, 0, kSchemeSide, kSchemeSide}; }

    // Gesture pieces the scheme window uses too.
    void DuplicateSelected();
    // One step of a move by (dx, dy): starts the gesture when none runs.
    void MoveStep(int dx, int dy);
    void GestureEnd(TvxSchemeObject* sender);
    bool Dragging() const { return FDragging; }

    // The objects of the document were replaced or edited from outside:
    // wire their notifications and repaint.
    void ObjectsChanged();
    void Invalidate();

  signals:
    void SelectionChanged();
    // The scheme was edited; sender is the edited object, or none when an
    // object was deleted or all were cleared.
    void Changed(tralcon::TvxSchemeObject* sender);
    void ReOrdered();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;
    QSize sizeHint() const override;

  private:
    void Wire(TvxSchemeObject* object);
    void RenderScene(QImage& target, const TvxSchemeObject* hidden);
    void DragBegin();
    void DragStep();
    void StartOrContinueGesture(bool ctrl);
    void ResizeStep(std::uint8_t code, int dx, int dy);
    TPoint ClampMove(const TvxSchemeObject* object, int dx, int dy) const;
    void PrepareOverlay(const TvxSchemeObject* hidden);
    bool TrajectoryKey(QKeyEvent* event);
    TPoint ToScheme(QPointF p) const;
    void UpdateCursor(int x, int y);

    TSchemeDocument* FScheme = nullptr;
    TSchemeLook FLook;
    QImage FBackBuffer;
    QImage FHitMap;
    // While dragging: the scene without the moving object, and the picture
    // on show (that scene plus the object's outline of the last step).
    QImage FDragScene;
    QImage FOverlay;
    std::unique_ptr<TQtCanvas> FOverlayCanvas;
    TvxSchemeObject* FSelected = nullptr;
    bool FEditable = false;
    bool FDragging = false;
    std::uint8_t FHitCode = 0;
    int FUpdateLock = 0;
    int FLastX = 0;
    int FLastY = 0;
    int FZoom = 1;
};

} // namespace tralcon
