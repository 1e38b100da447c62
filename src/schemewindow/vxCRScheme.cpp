#include "schemewindow/vxCRScheme.h"

#include "scheme/SchemeScene.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <cmath>
#include <optional>

namespace tralcon {

namespace {

const TSchemeDocument& EmptyScheme() {
    static const TSchemeDocument empty;
    return empty;
}

TvxArrow* AsArrow(TvxSchemeObject* o) {
    return dynamic_cast<TvxArrow*>(o);
}

// The modifiers the gestures look at; the keypad flag is not one of them.
Qt::KeyboardModifiers Mods(Qt::KeyboardModifiers m) {
    return m & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
}

bool Keypad(const QKeyEvent* e) {
    return (e->modifiers() & Qt::KeypadModifier) != 0;
}

bool IsKey(const QKeyEvent* e, Qt::Key key, Qt::Key keypadDigit) {
    return e->key() == key || (Keypad(e) && e->key() == keypadDigit);
}

// The one-pixel step of an arrow key or its keypad digit.
std::optional<TPoint> ArrowStep(const QKeyEvent* e) {
    if (IsKey(e, Qt::Key_Left, Qt::Key_4))
        return TPoint{-1, 0};
    if (IsKey(e, Qt::Key_Up, Qt::Key_8))
        return TPoint{0, -1};
    if (IsKey(e, Qt::Key_Right, Qt::Key_6))
        return TPoint{1, 0};
    if (IsKey(e, Qt::Key_Down, Qt::Key_2))
        return TPoint{0, 1};
    return std::nullopt;
}

bool IsDeleteKey(const QKeyEvent* e) {
    return e->key() == Qt::Key_Delete ||
           (Keypad(e) && (e->key() == Qt::Key_Period || e->key() == Qt::Key_Comma));
}

Qt::CursorShape CursorOf(std::uint8_t code) {
    switch (code) {
    case hcPoint:
        return Qt::CrossCursor;
    case hcTopLeft:
    case hcBottomRight:
        return Qt::SizeFDiagCursor;
    case hcTop:
    case hcBottom:
        return Qt::SizeVerCursor;
    case hcTopRight:
    case hcBottomLeft:
        return Qt::SizeBDiagCursor;
    case hcRight:
    case hcLeft:
        return Qt::SizeHorCursor;
    default:
        return Qt::SizeAllCursor;
    }
}

} // namespace

TvxCRScheme::TvxCRScheme(QWidget* parent) : QWidget(parent), FLook(DefaultSchemeLook()) {
    setObjectName(QStringLiteral("CRScheme"));
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    FLook.Font = font();
    FLook.Font.setPixelSize(11);
    SetZoom(1);
    BackgroundChanged();
}

TvxCRScheme::~TvxCRScheme() {
    // The objects outlive the control in their document: they must not keep
    // pointing at it.
    if (FScheme != nullptr)
        for (int i = 0; i < FScheme->Count(); ++i) {
            TvxSchemeObject* o = FScheme->Items(i);
            o->SetCanvas(nullptr);
            o->OnBeginChange = nullptr;
            o->OnChanging = nullptr;
            o->OnChanged = nullptr;
        }
}

QSize TvxCRScheme::sizeHint() const {
    return {kSchemeSide * FZoom, kSchemeSide * FZoom};
}

void TvxCRScheme::SetZoom(int zoom) {
    FZoom = std::clamp(zoom, 1, 4);
    setFixedSize(sizeHint());
    update();
}

void TvxCRScheme::SetScheme(TSchemeDocument* scheme) {
    if (FDragging)
        GestureEnd(FSelected);
    FSelected = nullptr;
    FScheme = scheme;
    BackgroundChanged();
    ObjectsChanged();
}

void TvxCRScheme::ObjectsChanged() {
    if (FScheme != nullptr) {
        for (int i = 0; i < FScheme->Count(); ++i)
            Wire(FScheme->Items(i));
        if (FSelected != nullptr && FScheme->IndexOf(FSelected) < 0)
            FSelected = nullptr;
    }
    Invalidate();
}

void TvxCRScheme::Invalidate() {
    if (FUpdateLock == 0)
        update();
}

void TvxCRScheme::BackgroundChanged() {
    FBackBuffer = RenderSchemeBackground(FScheme != nullptr ? *FScheme : EmptyScheme(),
                                         QSize(kSchemeSide, kSchemeSide), FLook);
    Invalidate();
}

void TvxCRScheme::SetEditable(bool on) {
    FEditable = on;
    setMouseTracking(on);
    if (!on)
        FHitMap = QImage();
}

void TvxCRScheme::Wire(TvxSchemeObject* object) {
    object->OnBeginChange = [this](TvxSchemeObject*) { DragBegin(); };
    object->OnChanging = [this](TvxSchemeObject*) { DragStep(); };
    object->OnChanged = [this](TvxSchemeObject* sender) { GestureEnd(sender); };
}

// ---- objects ----------------------------------------------------------------

TvxSchemeObject* TvxCRScheme::AddObject(const TvxSchemeObject& prototype) {
    return AddObject(prototype.Create());
}

TvxSchemeObject* TvxCRScheme::AddObject(std::unique_ptr<TvxSchemeObject> object, int row) {
    if (FScheme == nullptr || !object)
        return nullptr;
    TvxSchemeObject* added = FScheme->AddObject(std::move(object), row);
    Wire(added);
    return added;
}

void TvxCRScheme::RemoveObject(TvxSchemeObject* object) {
    if (FScheme == nullptr || object == nullptr)
        return;
    if (object == FSelected) {
        if (FDragging)
            FDragging = false;
        FSelected = nullptr;
    }
    FScheme->RemoveObject(object);
}

void TvxCRScheme::DeleteObject(TvxSchemeObject* object) {
    if (object == nullptr)
        return;
    RemoveObject(object);
    Invalidate();
    emit Changed(nullptr);
}

void TvxCRScheme::ClearObjects() {
    FSelected = nullptr;
    FDragging = false;
    if (FScheme != nullptr)
        FScheme->ClearObjects();
    emit Changed(nullptr);
}

void TvxCRScheme::SelectObject(TvxSchemeObject* object) {
    if (object == FSelected)
        return;
    BeginUpdate();
    struct TResume {
        TvxCRScheme* C;
        ~TResume() { C->EndUpdate(); }
    } resume{this};
    if (FSelected != nullptr)
        FSelected->SetSelected(false);
    FSelected = object;
    if (FSelected != nullptr)
        FSelected->SetSelected(true);
    emit SelectionChanged();
}

void TvxCRScheme::SendToBack(TvxSchemeObject* object) {
    if (object == nullptr || FScheme == nullptr)
        return;
    FScheme->SendToBack(object);
    Invalidate();
    emit ReOrdered();
}

void TvxCRScheme::BringToFront(TvxSchemeObject* object) {
    if (object == nullptr || FScheme == nullptr)
        return;
    FScheme->BringToFront(object);
    Invalidate();
    emit ReOrdered();
}

void TvxCRScheme::EndUpdate() {
    if (FUpdateLock > 0)
        --FUpdateLock;
    if (FUpdateLock == 0)
        update();
}

TvxSchemeObject* TvxCRScheme::ObjectAt(int x, int y) {
    if (!FEditable || FScheme == nullptr || !ClientRect().Contains({x, y}))
        return nullptr;
    // Rebuilt for each question: the objects may have changed since the last
    // paint (a property edited, a gesture ended), and it is small.
    FHitMap = RenderSchemeHitMap(*FScheme, FSelected, QSize(kSchemeSide, kSchemeSide), FLook.Font);
    return ObjectOfHitLevel(*FScheme, qRed(FHitMap.pixel(x, y)));
}

void TvxCRScheme::RenderScene(QImage& target, const TvxSchemeObject* hidden) {
    target = FBackBuffer.copy();
    if (FScheme == nullptr)
        return;
    auto* h = const_cast<TvxSchemeObject*>(hidden);
    const bool wasVisible = h != nullptr && h->Visible();
    if (wasVisible)
        h->SetVisible(false);
    PaintSchemeScene(target, *FScheme, FSelected, FLook.Font);
    if (wasVisible)
        h->SetVisible(true);
}

QImage TvxCRScheme::PaintTo() {
    QImage image;
    RenderScene(image, nullptr);
    return image;
}

void TvxCRScheme::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QImage frame;
    if (FDragging && !FOverlay.isNull())
        frame = FOverlay;
    else
        RenderScene(frame, nullptr);
    p.drawImage(QRect(0, 0, kSchemeSide * FZoom, kSchemeSide * FZoom), frame);
}

// ---- gestures ---------------------------------------------------------------

void TvxCRScheme::PrepareOverlay(const TvxSchemeObject* hidden) {
    RenderScene(FDragScene, hidden);
    FOverlay = FDragScene.copy();
    FOverlayCanvas = std::make_unique<TQtCanvas>(FOverlay, FLook.Font);
    FOverlayCanvas->Mode = TDrawMode::Invert;
    if (FSelected != nullptr)
        FSelected->SetCanvas(FOverlayCanvas.get());
}

void TvxCRScheme::DragBegin() {
    if (FSelected == nullptr || FDragging)
        return;
    PrepareOverlay(FSelected);
    FDragging = true;
}

void TvxCRScheme::DragStep() {
    if (!FDragging || !FOverlayCanvas) {
        DragBegin();
        return;
    }
    // The outline of the last step goes with the copy of the scene under it.
    FOverlay = FDragScene.copy();
    FOverlayCanvas = std::make_unique<TQtCanvas>(FOverlay, FLook.Font);
    FOverlayCanvas->Mode = TDrawMode::Invert;
    if (FSelected != nullptr)
        FSelected->SetCanvas(FOverlayCanvas.get());
}

void TvxCRScheme::GestureEnd(TvxSchemeObject* sender) {
    if (FSelected != nullptr)
        FSelected->SetCanvas(nullptr);
    FOverlayCanvas.reset();
    FOverlay = QImage();
    FDragScene = QImage();
    emit Changed(sender);
    FDragging = false;
    update();
}

void TvxCRScheme::DuplicateSelected() {
    if (FDragging || FSelected == nullptr || FScheme == nullptr)
        return;
    TvxSchemeObject* copy = AddObject(*FSelected);
    copy->Assign(*FSelected);
    copy->SetCanvas(nullptr);
    copy->SetData(nullptr);
    FSelected->SetSelected(false);
    FSelected = copy;
    copy->SetSelected(true);
    PrepareOverlay(copy);
    FDragging = true;
}

void TvxCRScheme::StartOrContinueGesture(bool ctrl) {
    if (FDragging)
        DragStep();
    else if (ctrl)
        DuplicateSelected();
    else
        DragBegin();
}

TPoint TvxCRScheme::ClampMove(const TvxSchemeObject* object, int dx, int dy) const {
    const TRect b = object->GetBounds();
    const TRect c = ClientRect();
    if (b.Left + dx - 2 <= c.Left)
        dx = 1;
    else if (b.Right + dx + 2 >= c.Right)
        dx = -1;
    if (b.Top + dy - 2 <= c.Top)
        dy = 1;
    else if (b.Bottom + dy + 2 >= c.Bottom)
        dy = -1;
    return {dx, dy};
}

void TvxCRScheme::MoveStep(int dx, int dy) {
    if (FSelected == nullptr)
        return;
    StartOrContinueGesture(false);
    const TPoint step = ClampMove(FSelected, dx, dy);
    FSelected->Offset(step.X, step.Y);
    FSelected->DrawDragImage();
    update();
}

void TvxCRScheme::ResizeStep(std::uint8_t code, int dx, int dy) {
    const TRect b = FSelected->GetBounds();
    TRect r = b;
    switch (code) {
    case hcTopLeft:
        r = {b.Left + dx, b.Top + dy, b.Right, b.Bottom};
        break;
    case hcTop:
        r = {b.Left, b.Top + dy, b.Right, b.Bottom};
        break;
    case hcTopRight:
        r = {b.Left, b.Top + dy, b.Right + dx, b.Bottom};
        break;
    case hcRight:
        r = {b.Left, b.Top, b.Right + dx, b.Bottom};
        break;
    case hcBottomRight:
        r = {b.Left, b.Top, b.Right + dx, b.Bottom + dy};
        break;
    case hcBottom:
        r = {b.Left, b.Top, b.Right, b.Bottom + dy};
        break;
    case hcBottomLeft:
        r = {b.Left + dx, b.Top, b.Right, b.Bottom + dy};
        break;
    case hcLeft:
        r = {b.Left + dx, b.Top, b.Right, b.Bottom};
        break;
    default:
        break;
    }
    const TRect c = ClientRect();
    r = {std::max(r.Left, c.Left), std::max(r.Top, c.Top), std::min(r.Right, c.Right),
         std::min(r.Bottom, c.Bottom)};
    FSelected->SetBounds(r);
    FSelected->DrawDragImage();
}

TPoint TvxCRScheme::ToScheme(QPointF p) const {
    return {static_cast<int>(std::floor(p.x() / FZoom)),
            static_cast<int>(std::floor(p.y() / FZoom))};
}

void TvxCRScheme::mousePressEvent(QMouseEvent* event) {
    if (!FEditable || event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    const TPoint at = ToScheme(event->position());
    TvxSchemeObject* o = ObjectAt(at.X, at.Y);
    if (o != FSelected)
        SelectObject(o);
    if (FSelected == nullptr)
        return;
    FLastX = at.X;
    FLastY = at.Y;
    // A trajectory picks the point under the press (none on its line).
    if (TvxArrow* arrow = AsArrow(FSelected);
        arrow != nullptr && arrow->Selected() && Mods(event->modifiers()) == Qt::NoModifier) {
        TvxArrowPoint* p = arrow->Points().PointAt(at.X, at.Y);
        if (p != arrow->Points().SelectedPoint()) {
            arrow->Points().SelectPoint(p);
            update();
            emit SelectionChanged();
        }
    }
}

void TvxCRScheme::UpdateCursor(int x, int y) {
    TvxSchemeObject* o = ObjectAt(x, y);
    if (o == nullptr) {
        unsetCursor();
    } else if (o == FSelected) {
        FHitCode = o->HitTest({x, y});
        setCursor(CursorOf(FHitCode));
    } else {
        FHitCode = 0;
        setCursor(Qt::SizeAllCursor);
    }
}

void TvxCRScheme::mouseMoveEvent(QMouseEvent* event) {
    if (!FEditable)
        return;
    const TPoint at = ToScheme(event->position());
    if (event->buttons() == Qt::NoButton) {
        UpdateCursor(at.X, at.Y);
        return;
    }
    if ((event->buttons() & Qt::LeftButton) == 0 || FSelected == nullptr)
        return;
    const Qt::KeyboardModifiers mods = Mods(event->modifiers());
    const int dx = at.X - FLastX, dy = at.Y - FLastY;
    if (FHitCode == hcPoint) {
        if (TvxArrow* arrow = AsArrow(FSelected); arrow != nullptr &&
                                                  arrow->Points().SelectedPoint() != nullptr &&
                                                  event->buttons() == Qt::LeftButton) {
            if (mods == Qt::NoModifier) {
                arrow->MoveSelectedPoint(ClientRect(), at.X, at.Y);
            } else if (mods == Qt::AltModifier) {
                const TvxArrowPoint* p = arrow->Points().SelectedPoint();
                const double d = std::hypot(at.X - p->X(), at.Y - p->Y());
                arrow->ChangeRadius(static_cast<int>(std::nearbyint(d)) - p->Radius());
            }
        }
    } else if (FHitCode >= hcTopLeft && FHitCode <= hcLeft) {
        StartOrContinueGesture((mods & Qt::ControlModifier) != 0);
        ResizeStep(FHitCode, dx, dy);
    } else {
        StartOrContinueGesture((mods & Qt::ControlModifier) != 0);
        const TPoint step = ClampMove(FSelected, dx, dy);
        FSelected->Offset(step.X, step.Y);
        FSelected->DrawDragImage();
    }
    FLastX = at.X;
    FLastY = at.Y;
    update();
}

void TvxCRScheme::mouseReleaseEvent(QMouseEvent* event) {
    if (!FEditable || event->button() != Qt::LeftButton)
        return;
    // Every release ends a gesture, also that of a plain click.
    TvxSchemeObject* selected = FSelected;
    GestureEnd(selected);
    if (FSelected != nullptr)
        FSelected->EndChange();
}

// ---- keys -------------------------------------------------------------------

bool TvxCRScheme::event(QEvent* event) {
    // The arrow keys move the selection; they are not for moving the focus.
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (ArrowStep(key)) {
            keyPressEvent(key);
            return true;
        }
    }
    return QWidget::event(event);
}

bool TvxCRScheme::TrajectoryKey(QKeyEvent* e) {
    TvxArrow* arrow = AsArrow(FSelected);
    if (arrow == nullptr)
        return false;
    const Qt::KeyboardModifiers mods = Mods(e->modifiers());
    if (mods == Qt::NoModifier) {
        if (IsKey(e, Qt::Key_PageUp, Qt::Key_3))
            arrow->FlipVertical();
        else if (IsKey(e, Qt::Key_PageDown, Qt::Key_9))
            arrow->FlipHorizontal();
        else if (Keypad(e) && (e->key() == Qt::Key_5 || e->key() == Qt::Key_Clear))
            arrow->Reverse();
        else
            return false;
        return true;
    }
    if (mods != (Qt::ShiftModifier | Qt::ControlModifier))
        return false;
    const TvxArrowPoint* p = arrow->Points().SelectedPoint();
    if (const std::optional<TPoint> step = ArrowStep(e)) {
        if (p != nullptr)
            arrow->MoveSelectedPoint(ClientRect(), p->X() + step->X, p->Y() + step->Y);
    } else if (IsKey(e, Qt::Key_Insert, Qt::Key_0)) {
        arrow->InsertPointNearSelected();
    } else if (IsDeleteKey(e)) {
        if (!arrow->DeleteSelectedPoint())
            QApplication::beep();
    } else if (e->key() == Qt::Key_Equal || e->key() == Qt::Key_Plus) {
        arrow->ChangeRadius(+1);
    } else if (e->key() == Qt::Key_Minus || e->key() == Qt::Key_Underscore) {
        arrow->ChangeRadius(-1);
    } else {
        return false;
    }
    update();
    return true;
}

void TvxCRScheme::keyPressEvent(QKeyEvent* e) {
    if (!FEditable) {
        QWidget::keyPressEvent(e);
        return;
    }
    const Qt::KeyboardModifiers mods = Mods(e->modifiers());
    const std::optional<TPoint> step = ArrowStep(e);
    bool handled = true;
    if (mods == Qt::NoModifier && IsKey(e, Qt::Key_End, Qt::Key_1)) {
        SendToBack(FSelected);
    } else if (mods == Qt::NoModifier && IsKey(e, Qt::Key_Home, Qt::Key_7)) {
        BringToFront(FSelected);
    } else if (mods == Qt::NoModifier && step) {
        MoveStep(step->X, step->Y);
    } else if (mods == Qt::NoModifier && IsKey(e, Qt::Key_Insert, Qt::Key_0)) {
        // Nothing: the window's copy command has this key.
    } else if (mods == Qt::NoModifier && IsDeleteKey(e)) {
        DeleteObject(FSelected);
    } else if (mods == Qt::ShiftModifier && step) {
        if (FSelected != nullptr) {
            StartOrContinueGesture(false);
            const TRect b = FSelected->GetBounds();
            const TRect c = ClientRect();
            FSelected->SetBounds({std::max(b.Left, c.Left), std::max(b.Top, c.Top),
                                  std::min(b.Right + step->X, c.Right),
                                  std::min(b.Bottom + step->Y, c.Bottom)});
            FSelected->DrawDragImage();
            update();
        }
    } else if (mods == Qt::ControlModifier && step) {
        if (FDragging)
            MoveStep(step->X, step->Y);
        else
            DuplicateSelected();
        update();
    } else {
        handled = TrajectoryKey(e);
    }
    if (!handled)
        QWidget::keyPressEvent(e);
}

void TvxCRScheme::keyReleaseEvent(QKeyEvent* e) {
    if (e->isAutoRepeat() || !FDragging) {
        QWidget::keyReleaseEvent(e);
        return;
    }
    GestureEnd(FSelected);
    if (FSelected != nullptr)
        FSelected->EndChange();
}

} // namespace tralcon
