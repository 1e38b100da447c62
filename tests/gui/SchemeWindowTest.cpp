// The scheme window over the bundled sample: selecting, dragging points and
// trajectories, copies, order and deletion, presets, the phase view, the
// background picture, enlarging, and the main window's directions followed.

#include "GuiTestUtil.h"
#include "persistence/Config.h"
#include "persistence/ProjExp.h"
#include "scheme/SchemeScene.h"
#include "scheme/SchemeSection.h"
#include "schemeview/SchemeRender.h"
#include "schemewindow/SchemeForm.h"
#include "schemewindow/SchemePropertyPage.h"
#include "widgets/vxEdit.h"

#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>

using namespace tralcon;
using namespace tralcon::test;

namespace {

const std::string kSample = std::string(TRALCON_SOURCE_DIR) + "/data/examples/Sample.NVT";

// The scheme window alone over the sample project.
struct TSchemeFixture {
    std::unique_ptr<TConfiguration> Config =
        LoadConfiguration(std::string(TRALCON_SOURCE_DIR) + "/data/NVT-3.cfg");
    TLoadedProject Loaded = LoadProject(kSample, *Config);
    TSchemeForm Form;
    int Modified = 0;
    QList<int> SelectedRows;
    QStringList Errors;
    std::optional<QString> Picture;

    TSchemeFixture() {
        Form.WindowActive = [] { return true; };
        Form.OnModified = [this] { ++Modified; };
        Form.OnSelectTrendRow = [this](int row) { SelectedRows << row; };
        Form.ShowError = [this](QWidget*, const QString& text) { Errors << text; };
        Form.AskPictureFile = [this](QWidget*) { return Picture; };
        Form.SetProject(Loaded.Project.get());
        Form.SetScheme(std::move(Loaded.Scheme));
        Form.show();
        Modified = 0;
        SelectedRows.clear();
    }
    TSchemeDocument& S() { return Form.Scheme(); }
    TProject& P() { return *Loaded.Project; }
    TvxCRScheme* C() { return Form.CRScheme; }
    TvxArrow* Arrow(int row, int i = 0) {
        int n = 0;
        for (TvxSchemeObject* o : S().RowObjects(row))
            if (auto* a = dynamic_cast<TvxArrow*>(o); a != nullptr && n++ == i)
                return a;
        return nullptr;
    }
    TSchemeNode Focus() { return Form.vtScheme->FocusedNode(); }
};

// A mouse event with the buttons held and modifiers given (QTest's moves
// carry no modifiers).
void Mouse(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButton button,
           Qt::MouseButtons buttons, Qt::KeyboardModifiers mods = {}) {
    QMouseEvent e(type, QPointF(at), QPointF(w->mapToGlobal(at)), button, buttons, mods);
    QApplication::sendEvent(w, &e);
}

// Hover, press, move in steps, release: a drag as the engineer makes it.
void Drag(QWidget* w, QPoint from, QList<QPoint> path, Qt::KeyboardModifiers mods = {}) {
    Mouse(w, QEvent::MouseMove, from, Qt::NoButton, Qt::NoButton);
    Mouse(w, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton, mods);
    for (QPoint p : path)
        Mouse(w, QEvent::MouseMove, p, Qt::NoButton, Qt::LeftButton, mods);
    Mouse(w, QEvent::MouseButtonRelease, path.isEmpty() ? from : path.back(), Qt::LeftButton,
          Qt::NoButton, mods);
}

void Click(QWidget* w, QPoint at, Qt::MouseButton button = Qt::LeftButton) {
    Mouse(w, QEvent::MouseMove, at, Qt::NoButton, Qt::NoButton);
    Mouse(w, QEvent::MouseButtonPress, at, button, button);
    Mouse(w, QEvent::MouseButtonRelease, at, button, Qt::NoButton);
}

std::vector<TPoint> PointsOf(const TvxArrow* a) {
    std::vector<TPoint> out;
    for (int i = 0; i < a->Points().Count(); ++i)
        out.push_back(a->Points().Items(i)->Pos());
    return out;
}

} // namespace

class SchemeWindowTest : public QObject {
    Q_OBJECT
  private slots:
    void theSampleIsListedAndSilver();
    void aClickSelectsAndColoursTheDirection();
    void draggingAPointMovesOnlyItAndStopsInside();
    void draggingMovesAndCtrlDraggingCopies();
    void keysReorderAndDelete();
    void pointKeysAndCommands();
    void presetsJoinTheFocusedRow();
    void deletingAFocusedTrajectoryFocusesItsNeighbour();
    void thePhaseViewShowsOnlyItsGreens();
    void treeDropMovesATrajectoryToAnotherRow();
    void propertyFieldsMoveAndEdit();
    void editedSchemeSavesAndReadsBackEqual();
    void backgroundPicturesLoadAndClear();
    void enlargedSchemeKeepsItsCoordinates();
    void followsTheMainWindowsDirectionsAndPhases();
};

void SchemeWindowTest::theSampleIsListedAndSilver() {
    TSchemeFixture f;
    QCOMPARE(f.Form.windowTitle(), QStringLiteral("Схема движения"));
    QCOMPARE(f.Form.vtScheme->topLevelItemCount(), f.P().TrendCount());
    QCOMPARE(f.S().Count(), 16);
    // Row 1Т: its trajectory with two points, then its label.
    QTreeWidgetItem* row0 = f.Form.vtScheme->topLevelItem(0);
    QCOMPARE(row0->childCount(), 2);
    QCOMPARE(row0->child(0)->childCount(), 2);
    for (int i = 0; i < f.S().Count(); ++i) {
        QVERIFY(f.S().Items(i)->Visible());
        if (auto* a = dynamic_cast<TvxArrow*>(f.S().Items(i)))
            QCOMPARE(a->Points().Color(), kTrajectorySilver);
    }
    QCOMPARE(f.C()->SelectedObject(), nullptr);
    QCOMPARE(f.Form.Properties->currentIndex(), int(TSchemePropertyPage::tsNone));
    QVERIFY(f.S().HasBackground());
    // The plan is on show under the objects: a lawn corner keeps its colour.
    QCOMPARE(f.C()->PaintTo().pixel(20, 20), qRgb(0xB9, 0xD7, 0xA8));
}

void SchemeWindowTest::aClickSelectsAndColoursTheDirection() {
    TSchemeFixture f;
    TvxArrow* lenina = f.Arrow(0);
    Click(f.C(), {88, 40});
    QCOMPARE(f.C()->SelectedObject(), lenina);
    QCOMPARE(f.Focus().Level, int(TSchemeNode::lvObject));
    QCOMPARE(f.Focus().Object, lenina);
    QCOMPARE(f.SelectedRows.last(), 0);
    QCOMPARE(lenina->Points().Color(), kTrajectoryGreen);
    QCOMPARE(f.Arrow(1)->Points().Color(), kTrajectorySilver);
    QCOMPARE(f.Form.Properties->currentIndex(), int(TSchemePropertyPage::tsTrend));
    QCOMPARE(f.Form.Properties->gbArrow->title(), QStringLiteral("Траектория #1"));
    QCOMPARE(f.Form.Properties->stTrend->text(), QStringLiteral("1Т"));
    // The selection is drawn with its markers: the first point's marker.
    QCOMPARE(f.Modified, 0); // a plain click changes nothing
    // A label over a trajectory wins the click.
    const auto* label = dynamic_cast<TvxTrendLabel*>(f.S().RowObjects(0)[1]);
    QVERIFY(label != nullptr);
    Click(f.C(), {label->Rect().Left + 3, label->Rect().Top + 3});
    QCOMPARE(f.C()->SelectedObject(), static_cast<const TvxSchemeObject*>(label));
    // The right button neither selects nor deselects.
    Click(f.C(), {20, 20}, Qt::RightButton);
    QCOMPARE(f.C()->SelectedObject(), static_cast<const TvxSchemeObject*>(label));
    // A press on the empty plan clears the selection and the row.
    Click(f.C(), {20, 20});
    QCOMPARE(f.C()->SelectedObject(), nullptr);
    QCOMPARE(f.Focus().Level, int(TSchemeNode::lvNone));
    QCOMPARE(f.SelectedRows.last(), -1);
    QCOMPARE(lenina->Points().Color(), kTrajectorySilver);
}

void SchemeWindowTest::draggingAPointMovesOnlyItAndStopsInside() {
    TSchemeFixture f;
    TvxArrow* mira = f.Arrow(1);
    Click(f.C(), {150, 118});
    QCOMPARE(f.C()->SelectedObject(), mira);
    // Press on the first point, drag it up and beyond the left edge.
    Drag(f.C(), {8, 118}, {{8, 100}, {-40, 60}});
    QCOMPARE(PointsOf(mira), (std::vector<TPoint>{{3, 60}, {188, 118}}));
    QCOMPARE(f.Modified, 1);
    QCOMPARE(f.Focus().Level, int(TSchemeNode::lvPoint));
    QCOMPARE(f.Focus().Point, 0);
    QCOMPARE(f.Form.Properties->gbPoint->title(), QStringLiteral("Точка #1"));
    QCOMPARE(f.Form.Properties->sePointX->Value(), 3);
    // With Alt the pointer's distance from the point becomes its radius:
    // the corner of the left turn.
    TvxArrow* left = f.Arrow(2);
    Click(f.C(), {30, 110});
    QCOMPARE(f.C()->SelectedObject(), left);
    Mouse(f.C(), QEvent::MouseMove, {110, 110}, Qt::NoButton, Qt::NoButton);
    Mouse(f.C(), QEvent::MouseButtonPress, {110, 110}, Qt::LeftButton, Qt::LeftButton);
    Mouse(f.C(), QEvent::MouseMove, {110, 140}, Qt::NoButton, Qt::LeftButton, Qt::AltModifier);
    Mouse(f.C(), QEvent::MouseButtonRelease, {110, 140}, Qt::LeftButton, Qt::NoButton);
    QCOMPARE(int(left->Points().Items(1)->Radius()), 30);
    QCOMPARE(PointsOf(left)[1], (TPoint{110, 110}));
}

void SchemeWindowTest::draggingMovesAndCtrlDraggingCopies() {
    TSchemeFixture f;
    TvxArrow* mira = f.Arrow(1);
    Click(f.C(), {150, 118});
    // A press on the line away from the points moves the whole trajectory.
    Drag(f.C(), {150, 118}, {{150, 123}, {150, 128}});
    QCOMPARE(PointsOf(mira), (std::vector<TPoint>{{8, 128}, {188, 128}}));
    QCOMPARE(f.Modified, 1);
    // Against the left edge it stops 2 pixels inside, pushed back and forth
    // by a pixel as the pointer keeps on.
    QList<QPoint> leftwards;
    for (int x = 149; x >= 135; --x)
        leftwards << QPoint(x, 128);
    Drag(f.C(), {150, 128}, leftwards);
    QVERIFY2(mira->GetBounds().Left == 3 || mira->GetBounds().Left == 4,
             qPrintable(QString::number(mira->GetBounds().Left)));

    // Ctrl at the first step: a copy moves, the original stays.
    const int count = f.S().Count();
    const std::vector<TPoint> before = PointsOf(mira);
    const int x = mira->GetBounds().Left + 50;
    Drag(f.C(), {x, 128}, {{x, 133}, {x, 143}}, Qt::ControlModifier);
    QCOMPARE(f.S().Count(), count + 1);
    QCOMPARE(PointsOf(mira), before);
    auto* copy = dynamic_cast<TvxArrow*>(f.C()->SelectedObject());
    QVERIFY(copy != nullptr && copy != mira);
    QCOMPARE(copy->Points().Items(0)->Y(), std::int16_t(143));
    QCOMPARE(copy->Points().HeadFlags(), mira->Points().HeadFlags());
    // The copy belongs to the row of the original, after its objects.
    QCOMPARE(f.S().RowOf(copy), 1);
    QCOMPARE(f.S().RowObjects(1).back(), static_cast<TvxSchemeObject*>(copy));
    QCOMPARE(f.Form.vtScheme->topLevelItem(1)->childCount(), 3);
    QCOMPARE(f.Focus().Object, static_cast<TvxSchemeObject*>(copy));
}

void SchemeWindowTest::keysReorderAndDelete() {
    TSchemeFixture f;
    TvxArrow* lenina = f.Arrow(0);
    Click(f.C(), {88, 40});
    QCOMPARE(f.S().IndexOf(lenina), 0);
    QTest::keyClick(f.C(), Qt::Key_Home);
    QCOMPARE(f.S().IndexOf(lenina), f.S().Count() - 1);
    QCOMPARE(f.S().RowObjects(0).back(), static_cast<TvxSchemeObject*>(lenina));
    QCOMPARE(TSchemeTree::NodeOf(f.Form.vtScheme->topLevelItem(0)->child(1)).Object,
             static_cast<TvxSchemeObject*>(lenina));
    QTest::keyClick(f.C(), Qt::Key_End);
    QCOMPARE(f.S().IndexOf(lenina), 0);
    QCOMPARE(f.S().RowObjects(0).front(), static_cast<TvxSchemeObject*>(lenina));
    // The keypad's 7 and 1 do the same.
    QTest::keyClick(f.C(), Qt::Key_7, Qt::KeypadModifier);
    QCOMPARE(f.S().IndexOf(lenina), f.S().Count() - 1);
    QTest::keyClick(f.C(), Qt::Key_1, Qt::KeypadModifier);
    QCOMPARE(f.S().IndexOf(lenina), 0);
    QVERIFY(f.Modified >= 4);
    // Arrows move the selection one pixel; Shift+arrows make it larger.
    QTest::keyClick(f.C(), Qt::Key_Right);
    QCOMPARE(PointsOf(lenina), (std::vector<TPoint>{{89, 8}, {89, 188}}));
    QTest::keyClick(f.C(), Qt::Key_Up, Qt::ShiftModifier);
    QCOMPARE(PointsOf(lenina), (std::vector<TPoint>{{89, 8}, {89, 187}}));
    // Delete takes it with its nodes.
    const int count = f.S().Count();
    QTest::keyClick(f.C(), Qt::Key_Delete);
    QCOMPARE(f.S().Count(), count - 1);
    QCOMPARE(f.S().IndexOf(lenina), -1);
    QCOMPARE(f.C()->SelectedObject() == lenina, false);
    QCOMPARE(f.Form.vtScheme->topLevelItem(0)->childCount(), 1);
}

void SchemeWindowTest::pointKeysAndCommands() {
    TSchemeFixture f;
    TvxArrow* mira = f.Arrow(1);
    Click(f.C(), {150, 118});
    Click(f.C(), {188, 118}); // its last point
    QCOMPARE(mira->Points().SelectedPoint(), mira->Points().Last());
    const Qt::KeyboardModifiers sc = Qt::ShiftModifier | Qt::ControlModifier;
    QTest::keyClick(f.C(), Qt::Key_Left, sc);
    QTest::keyClick(f.C(), Qt::Key_Up, sc);
    QCOMPARE(PointsOf(mira)[1], (TPoint{187, 117}));
    f.Form.UpdateActions();
    QVERIFY(f.Form.actInsertPoint->isVisible());
    QVERIFY(!f.Form.actDeletePoint->isEnabled()); // two points stay
    f.Form.actInsertPoint->trigger();
    QCOMPARE(mira->Points().Count(), 3);
    // Halfway to the predecessor, before it, and selected.
    QCOMPARE(PointsOf(mira)[1], (TPoint{98, 117}));
    QCOMPARE(mira->Points().SelectedPoint(), mira->Points().Items(1));
    QCOMPARE(f.Form.vtScheme->currentItem()->parent()->childCount(), 3);
    // The radius follows the keypad's plus and minus, never below 0.
    QTest::keyClick(f.C(), Qt::Key_Plus, sc | Qt::KeypadModifier);
    QTest::keyClick(f.C(), Qt::Key_Plus, sc | Qt::KeypadModifier);
    QCOMPARE(int(mira->Points().Items(1)->Radius()), 2);
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(f.C(), Qt::Key_Minus, sc | Qt::KeypadModifier);
    QCOMPARE(int(mira->Points().Items(1)->Radius()), 0);
    f.Form.UpdateActions();
    QVERIFY(f.Form.actDeletePoint->isEnabled());
    f.Form.actDeletePoint->trigger();
    QCOMPARE(mira->Points().Count(), 2);
    // Reverse swaps the ends; the flips mirror about the middle.
    const std::vector<TPoint> ends = PointsOf(mira);
    f.Form.actReverse->trigger();
    QCOMPARE(PointsOf(mira), (std::vector<TPoint>{ends[1], ends[0]}));
    // Without a selected point the point commands are hidden.
    Click(f.C(), {100, 118}); // on the line
    f.Form.UpdateActions();
    QVERIFY(!f.Form.actInsertPoint->isVisible());
    QVERIFY(!f.Form.actReverse->isVisible());
}

void SchemeWindowTest::presetsJoinTheFocusedRow() {
    TSchemeFixture f;
    // A point of the tram's left turn (row 5) is focused.
    TvxArrow* tram = f.Arrow(5);
    f.Form.vtScheme->FocusNode(f.Form.vtScheme->ItemOf({TSchemeNode::lvPoint, 5, tram, 1}));
    QCOMPARE(tram->Points().SelectedPoint(), tram->Points().Items(1));
    const int objects = int(f.S().RowObjects(5).size());
    f.Form.AddPreset(9); // left: (10, 50), (50, 50) r 20, (50, 10)
    auto* added = dynamic_cast<TvxArrow*>(f.C()->SelectedObject());
    QVERIFY(added != nullptr);
    QCOMPARE(f.S().RowOf(added), 5);
    QCOMPARE(int(f.S().RowObjects(5).size()), objects + 1);
    QCOMPARE(PointsOf(added), (std::vector<TPoint>{{10, 50}, {50, 50}, {50, 10}}));
    QCOMPARE(int(added->Points().Items(1)->Radius()), 20);
    QCOMPARE(added->Points().Color(), kTrajectoryGreen);
    QVERIFY(added->Points().EndHead() && !added->Points().StartHead());
    QCOMPARE(f.Focus().Object, static_cast<TvxSchemeObject*>(added));
    QCOMPARE(f.Form.vtScheme->ItemOf(f.Focus())->childCount(), 3);
    QVERIFY(f.C()->hasFocus() || !f.Form.isActiveWindow());
    QCOMPARE(f.Modified, 1);
    // Pedestrians: both heads, 28 bytes in the file.
    f.Form.AddPreset(13);
    auto* walk = dynamic_cast<TvxArrow*>(f.C()->SelectedObject());
    QVERIFY(walk->Points().StartHead() && walk->Points().EndHead());
    std::string record;
    TSchemeStreamWriter w(record);
    walk->SaveToStream(w);
    QCOMPARE(int(record.size()), 28);
    // A label goes first under its row and carries the row's caption.
    f.Form.vtScheme->FocusNode(f.Form.vtScheme->RowItem(3));
    f.Form.AddPreset(15);
    auto* label = dynamic_cast<TvxTrendLabel*>(f.C()->SelectedObject());
    QVERIFY(label != nullptr);
    QCOMPARE(label->Text(), std::string("4П"));
    QCOMPARE(f.S().RowObjects(3).front(), static_cast<TvxSchemeObject*>(label));
    QCOMPARE(label->GetBounds().Left, 0);
}

void SchemeWindowTest::deletingAFocusedTrajectoryFocusesItsNeighbour() {
    TSchemeFixture f;
    // Row 1Т: trajectory, label. Deleting the trajectory focuses the label,
    // deleting that the row.
    TvxArrow* lenina = f.Arrow(0);
    f.Form.vtScheme->FocusNode(f.Form.vtScheme->ItemOf({TSchemeNode::lvPoint, 0, lenina, 1}));
    f.Form.UpdateActions();
    QVERIFY(f.Form.actMinusCurve->isEnabled());
    f.Form.actMinusCurve->trigger();
    QCOMPARE(f.S().IndexOf(lenina), -1);
    QCOMPARE(f.Focus().Level, int(TSchemeNode::lvObject));
    QVERIFY(dynamic_cast<TvxTrendLabel*>(f.Focus().Object) != nullptr);
    f.Form.actMinusCurve->trigger();
    QCOMPARE(f.Focus().Level, int(TSchemeNode::lvRow));
    QCOMPARE(f.Focus().Row, 0);
    QVERIFY(f.S().RowObjects(0).empty());
    f.Form.UpdateActions();
    QVERIFY(!f.Form.actMinusCurve->isEnabled());
    QCOMPARE(f.Modified, 2);
}

void SchemeWindowTest::thePhaseViewShowsOnlyItsGreens() {
    TSchemeFixture f;
    Click(f.C(), {88, 40});
    const TPhase* f1 = f.P().PhaseAt(0); // 1Т and 5Пм
    f.Form.ShowPhaseOnScheme(f1);
    QCOMPARE(f.C()->SelectedObject(), nullptr);
    for (int row = 0; row < f.S().RowCount(); ++row) {
        const bool green = f1->IsGreen(f.P().TrendAt(row));
        for (TvxSchemeObject* o : f.S().RowObjects(row)) {
            QCOMPARE(o->Visible(), green);
            if (auto* a = dynamic_cast<TvxArrow*>(o))
                QCOMPARE(a->Points().Color(), green ? kTrajectoryGreen : kTrajectorySilver);
        }
    }
    QCOMPARE(f.Form.Properties->currentIndex(), int(TSchemePropertyPage::tsPhase));
    QCOMPARE(f.Form.Properties->stPhase->text(), QStringLiteral("1"));
    // The screen shows it: green on the first point of 1Т, the plan where
    // the hidden 2Т runs.
    const QImage shot = f.C()->PaintTo();
    QCOMPARE(shot.pixel(88, 40), qRgb(0, 255, 0));
    QVERIFY(shot.pixel(160, 118) != qRgb(192, 192, 192));
    // Focusing a row in the tree shows everything again.
    f.Form.vtScheme->FocusNode(f.Form.vtScheme->RowItem(1));
    for (int i = 0; i < f.S().Count(); ++i)
        QVERIFY(f.S().Items(i)->Visible());
    QCOMPARE(f.Arrow(1)->Points().Color(), kTrajectoryGreen);
    QCOMPARE(f.Arrow(0)->Points().Color(), kTrajectorySilver);
}

void SchemeWindowTest::treeDropMovesATrajectoryToAnotherRow() {
    TSchemeFixture f;
    TvxArrow* mira = f.Arrow(1);
    f.Form.MoveObjectToRow(mira, 3, -1);
    QCOMPARE(f.S().RowOf(mira), 3);
    QCOMPARE(f.S().RowObjects(3).back(), static_cast<TvxSchemeObject*>(mira));
    QCOMPARE(f.Focus().Object, static_cast<TvxSchemeObject*>(mira));
    QCOMPARE(f.Focus().Row, 3);
    QCOMPARE(mira->Points().Color(), kTrajectoryGreen);
    QCOMPARE(f.Form.vtScheme->topLevelItem(1)->childCount(), 1);
    // Before another trajectory of a row.
    TvxArrow* walk = f.Arrow(3);
    f.Form.MoveObjectToRow(mira, 3, 0);
    QCOMPARE(f.S().RowObjects(3).front(), static_cast<TvxSchemeObject*>(mira));
    QCOMPARE(f.S().RowObjects(3)[1], static_cast<TvxSchemeObject*>(walk));
    QCOMPARE(f.Modified, 2);
}

void SchemeWindowTest::propertyFieldsMoveAndEdit() {
    TSchemeFixture f;
    TvxArrow* left = f.Arrow(2); // (8, 110), (110, 110) r 25, (110, 12)
    Click(f.C(), {30, 110});
    TSchemePropertyPage* page = f.Form.Properties;
    QCOMPARE(page->seCurveX->Value(), 8);
    QCOMPARE(page->seWidth->Value(), 102);
    page->seCurveX->SetValue(20);
    QCOMPARE(left->GetBounds().Left, 20);
    QCOMPARE(left->GetBounds().Width(), 102);
    page->seHeight->SetValue(49); // 98 high before: halved
    QCOMPARE(PointsOf(left)[2].Y, std::int16_t(12));
    QCOMPARE(PointsOf(left)[0].Y, std::int16_t(61));
    // A label's size follows its text: its width and height are not fields.
    const auto* label = f.S().RowObjects(0)[1];
    Click(f.C(), {label->GetBounds().Left + 2, label->GetBounds().Top + 2});
    QVERIFY(!page->seWidth->isEnabled());
    QVERIFY(!page->gbPoint->isVisible());
    QCOMPARE(f.Modified, 2);
}

void SchemeWindowTest::editedSchemeSavesAndReadsBackEqual() {
    TSchemeFixture f;
    // Unedited, the file written again is the file read.
    const std::vector<std::uint8_t> again = SaveProjectToBytes(f.P(), f.S());
    QCOMPARE(std::string(again.begin(), again.end()), ReadBytes(kSample));
    // Edit a point through its field, move a label, save, read back.
    TvxArrow* tram = f.Arrow(6);
    Click(f.C(), {150, 102});
    QCOMPARE(f.C()->SelectedObject(), tram);
    Click(f.C(), {12, 102});
    f.Form.Properties->sePointY->SetValue(106);
    f.Form.AddPreset(14);
    // The selection is written as such; read back, nothing is selected.
    f.C()->SelectObject(nullptr);
    const std::vector<std::uint8_t> bytes = SaveProjectToBytes(f.P(), f.S());
    TLoadedProject back = LoadProjectFromBytes(bytes.data(), bytes.size(), *f.Config, "x.NVT");
    std::string a, b;
    WriteSchemeSection(f.S(), a);
    WriteSchemeSection(*back.Scheme, b);
    QCOMPARE(QByteArray::fromStdString(b), QByteArray::fromStdString(a));
    QCOMPARE(back.Scheme->Background(), f.S().Background());
    QCOMPARE(back.Scheme->Count(), f.S().Count());
}

void SchemeWindowTest::backgroundPicturesLoadAndClear() {
    TSchemeFixture f;
    TempDir dir;
    QImage plan(300, 150, QImage::Format_RGB32);
    plan.fill(QColor(10, 20, 200));
    QVERIFY(plan.save(QString::fromStdString(dir.File("plan.png"))));
    WriteBytes(dir.File("broken.jpg"), "\xFF\xD8\xFF\xE0 not a picture");
    const std::string before = f.S().Background();

    f.Picture = QString::fromStdString(dir.File("broken.jpg"));
    f.Form.actLoadScheme->trigger();
    QCOMPARE(f.Errors.size(), 1);
    QVERIFY(f.Errors[0].contains(QStringLiteral("broken.jpg")));
    QCOMPARE(f.S().Background(), before);
    QCOMPARE(f.Modified, 0);

    f.Picture = QString::fromStdString(dir.File("plan.png"));
    f.Form.actLoadScheme->trigger();
    QCOMPARE(f.Errors.size(), 1);
    QVERIFY(f.S().Background() != before);
    QCOMPARE(f.C()->PaintTo().pixel(20, 20), qRgb(10, 20, 200));
    QCOMPARE(f.Modified, 1);
    // Cancelled: nothing happens.
    f.Picture.reset();
    f.Form.actLoadScheme->trigger();
    QCOMPARE(f.Modified, 1);

    f.Form.actClearScheme->trigger();
    QVERIFY(!f.S().HasBackground());
    QCOMPARE(f.S().Count(), 16); // the objects stay
    QCOMPARE(f.C()->PaintTo().pixel(20, 20), QColor(226, 240, 227).rgb());
    QCOMPARE(f.Modified, 2);
}

void SchemeWindowTest::enlargedSchemeKeepsItsCoordinates() {
    TSchemeFixture f;
    const int width = f.Form.width();
    f.Form.SetZoom(2);
    QCOMPARE(f.C()->size(), QSize(400, 400));
    QVERIFY2(f.Form.width() >= width + 200,
             qPrintable(QStringLiteral("%1 -> %2").arg(width).arg(f.Form.width())));
    Click(f.C(), {176, 80}); // (88, 40) of the scheme
    QCOMPARE(f.C()->SelectedObject(), f.Arrow(0));
    Drag(f.C(), {176, 80}, {{176, 90}});
    QCOMPARE(PointsOf(f.Arrow(0)), (std::vector<TPoint>{{88, 13}, {88, 193}}));
    QCOMPARE(f.C()->PaintTo().size(), QSize(200, 200));
    f.Form.SetZoom(9);
    QCOMPARE(f.C()->Zoom(), 4);
    QVERIFY(!f.Form.actZoomIn->isEnabled());
    // Hiding the editor leaves the scheme where it is on the desktop.
    f.Form.SetZoom(1);
    const QPoint schemeAt = f.C()->mapToGlobal(QPoint(0, 0));
    f.Form.ToggleEditor();
    QVERIFY(f.Form.EditorHidden());
    QCOMPARE(f.Form.actSchemeEdit->text(), QStringLiteral("Показать редактор"));
    QCOMPARE(f.C()->mapToGlobal(QPoint(0, 0)).x(), schemeAt.x());
    f.Form.ToggleEditor();
    QVERIFY(!f.Form.EditorHidden());
}

void SchemeWindowTest::followsTheMainWindowsDirectionsAndPhases() {
    TWindowFixture fx;
    fx.RealFiles = true;
    WriteBytes(fx.Dir.File("NVT-3.chm"), "ITSF");
    fx.Create();
    fx.ShowActive();
    TMainForm& w = *fx.Form;
    QVERIFY(w.OpenProject(QString::fromStdString(kSample)));
    TSchemeForm* s = w.SchemeForm();
    QVERIFY(s != nullptr);
    w.actScheme->trigger();
    QVERIFY(s->isVisible());
    QCOMPARE(s->vtScheme->topLevelItemCount(), w.Project().TrendCount());
    TvxSchemeObject* mira = s->Scheme().RowObjects(1).front();
    // Deleting 1Т takes its two objects; 2Т's move up a row with it.
    w.ActivatePage(pgTrends);
    w.TrendsPage()->SelectTrendRow(0);
    w.actMinus->trigger();
    QCOMPARE(s->vtScheme->topLevelItemCount(), w.Project().TrendCount());
    QCOMPARE(s->Scheme().Count(), 14);
    QCOMPARE(s->Scheme().RowOf(mira), 0);
    const auto* label = dynamic_cast<const TvxTrendLabel*>(s->Scheme().RowObjects(0).back());
    QVERIFY(label != nullptr);
    QCOMPARE(QString::fromStdString(label->Text()),
             QString::fromStdString(w.Project().TrendName(0)));
    // A direction added gets its rows, focused.
    const int rows = w.Project().TrendCount();
    QVERIFY(AddDirection(w, QStringLiteral("Трамвайное")));
    QCOMPARE(s->vtScheme->topLevelItemCount(), rows + 3);
    QCOMPARE(s->vtScheme->FocusedNode().Level, int(TSchemeNode::lvRow));
    // An edit in the scheme is a step of the history.
    w.SetModified(false);
    s->vtScheme->FocusNode(s->vtScheme->RowItem(0));
    s->AddPreset(1);
    QVERIFY(w.Modified());
    QVERIFY(w.actUndo->isEnabled());
    QCOMPARE(w.actUndo->text(), QStringLiteral("Отменить изменение схемы"));
    const int count = w.SchemeForm()->Scheme().Count();
    w.actUndo->trigger();
    QCOMPARE(w.SchemeForm()->Scheme().Count(), count - 1);
    // Clicking a trajectory highlights its direction in the main window.
    TvxArrow* first = nullptr;
    for (int i = 0; i < w.SchemeForm()->Scheme().Count() && first == nullptr; ++i)
        first = dynamic_cast<TvxArrow*>(w.SchemeForm()->Scheme().Items(i));
    QVERIFY(first != nullptr);
    const int row = w.SchemeForm()->Scheme().RowOf(first);
    const TvxArrowPoint* p0 = first->Points().Items(0);
    const TvxArrowPoint* p1 = first->Points().Items(1);
    Click(w.SchemeForm()->CRScheme, {(p0->X() + p1->X()) / 2, (p0->Y() + p1->Y()) / 2});
    QCOMPARE(w.SchemeForm()->CRScheme->SelectedObject(), first);
    QCOMPARE(w.TrendsPage()->SelectedTrendRow(), row + 2);
    // F1 in the scheme window opens the scheme's topic.
    QApplication::setActiveWindow(w.SchemeForm());
    w.SchemeForm()->CRScheme->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w.SchemeForm()->CRScheme));
    QTest::keyClick(w.SchemeForm()->CRScheme, Qt::Key_F1);
    QVERIFY(!fx.HelpShown.isEmpty());
    QCOMPARE(fx.HelpShown.back().second, QStringLiteral("scheme.htm"));
}

QTEST_MAIN(SchemeWindowTest)
#include "SchemeWindowTest.moc"
