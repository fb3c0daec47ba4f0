// The settings window on the offscreen platform: the window itself, the fill from the strip, the
// copy-back, the handlers that act at once, and the modal run with its two ways of closing.
#include "faces/qt/SettingsWindow.h"
#include "StripFixture.h"
#include "faces/qt/ColorPicker.h"
#include "faces/qt/QtText.h"
#include "settings/SettingsFile.h"
#include "texts/Texts.h"
#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>
#include <functional>

Q_DECLARE_METATYPE(zrm58::Language)

using namespace zrm58;
using namespace zrm58::testing;

namespace {

// Runs `step` once the modal dialog of type D is up (from inside its nested event loop).
template <class D> void whenModal(std::function<void(D*)> step) {
    QTimer::singleShot(0, [step] {
        D* dialog = nullptr;
        QTRY_VERIFY_WITH_TIMEOUT(
            (dialog = qobject_cast<D*>(QApplication::activeModalWidget())) != nullptr, 30000);
        step(dialog);
    });
}

// Closes the settings window when it goes out of scope, so that a failed check inside the
// modal run cannot leave the test waiting forever.
struct CloseAtEnd {
    ~CloseAtEnd() {
        if (Form2 && Form2->isVisible()) Form2->close();
    }
};

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Types `text` over the whole of a spin box's field, as a user does.
void typeInto(QAbstractSpinBox* spin, const QString& text) {
    spin->setFocus();
    spin->selectAll();
    QTest::keyClicks(spin, text);
}

void clickItem(QListWidget* list, int row, Qt::KeyboardModifiers modifiers = {}) {
    QListWidgetItem* item = list->item(row);
    list->scrollToItem(item);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers,
                      list->visualItemRect(item).center());
}

// Where a label's or a check box's text (and box) is drawn, in its parent's coordinates.
QRect inkOf(QWidget* w) {
    const QFontMetrics fm(w->font());
    if (auto* box = qobject_cast<QCheckBox*>(w)) {
        QStyleOptionButton opt;
        opt.initFrom(box);
        opt.text = box->text();
        const QRect indicator =
            box->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &opt, box);
        const QRect contents = box->style()->subElementRect(QStyle::SE_CheckBoxContents, &opt, box);
        const QRect text =
            QStyle::alignedRect(box->layoutDirection(), Qt::AlignLeft | Qt::AlignVCenter,
                                QSize(fm.horizontalAdvance(box->text()), fm.height()), contents);
        return (indicator | text).translated(box->pos());
    }
    auto* label = qobject_cast<QLabel*>(w);
    const QRect cr = label->contentsRect();
    const QSize text(std::min(fm.horizontalAdvance(label->text()), cr.width()), fm.height());
    return QStyle::alignedRect(
               label->layoutDirection(),
               QStyle::visualAlignment(label->layoutDirection(), label->alignment()), text, cr)
        .translated(label->pos());
}

} // namespace

class SettingsWindowTest : public QObject {
    Q_OBJECT
private slots:
    // Under a right-to-left language (he_IL) as under a left-to-right one, no label or check box
    // draws its text over a control beside it: the window stays left to right as a whole.
    // In both of the strip's languages too.
    void labelsClearOfTheirControls_data() {
        QTest::addColumn<Qt::LayoutDirection>("direction");
        QTest::addColumn<Language>("language");
        QTest::newRow("left to right") << Qt::LeftToRight << Language::Japanese;
        QTest::newRow("right to left") << Qt::RightToLeft << Language::Japanese;
        QTest::newRow("English, left to right") << Qt::LeftToRight << Language::English;
        QTest::newRow("English, right to left") << Qt::RightToLeft << Language::English;
    }
    void labelsClearOfTheirControls() {
        QFETCH(Qt::LayoutDirection, direction);
        QFETCH(Language, language);
        QApplication::setLayoutDirection(direction);
        useLanguage(language);
        const auto restore = qScopeGuard([] {
            QApplication::setLayoutDirection(Qt::LeftToRight);
            useLanguage(Language::Japanese);
        });
        StripFixture f;
        TForm1& form = f.create();
        TForm2 w(&form);
        int texts = 0;
        for (QWidget* t : w.findChildren<QWidget*>()) {
            if (!qobject_cast<QLabel*>(t) && !qobject_cast<QCheckBox*>(t)) continue;
            if (t->objectName().isEmpty()) continue; // a part of a compound control
            ++texts;
            const QRect ink = inkOf(t);
            for (QWidget* c :
                 t->parentWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
                if (c == t || c->objectName().isEmpty() || qobject_cast<QLabel*>(c)) continue;
                const QRect other = qobject_cast<QCheckBox*>(c) ? inkOf(c) : c->geometry();
                QVERIFY2(!ink.intersects(other),
                         qPrintable(t->objectName() + " runs into " + c->objectName()));
            }
        }
        QCOMPARE(texts, 14); // eight labels and six check boxes
    }

    // The window in the strip's language: its title, hints and entries, and every caption whole
    // (a label's text within its width, or wrapped within its height; a check box, a button or a
    // group's title within its box) and inside the window.
    void captionsInTheStripsLanguage_data() {
        QTest::addColumn<Language>("language");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("hint");
        QTest::addColumn<QString>("diagonal");
        QTest::newRow("Japanese") << Language::Japanese << QStringLiteral("設定")
                                  << QStringLiteral("再起動が必要です") << QStringLiteral("斜め");
        QTest::newRow("English") << Language::English << QStringLiteral("Settings")
                                 << QStringLiteral("Takes effect after a restart")
                                 << QStringLiteral("Diagonal");
    }
    void captionsInTheStripsLanguage() {
        QFETCH(Language, language);
        QFETCH(QString, title);
        QFETCH(QString, hint);
        QFETCH(QString, diagonal);
        useLanguage(language);
        const auto restore = qScopeGuard([] { useLanguage(Language::Japanese); });
        StripFixture f;
        TForm1& form = f.create();
        TForm2 w(&form);
        QCOMPARE(w.windowTitle(), title);
        QCOMPARE(w.ShowTaskCheck->toolTip(), hint);
        QCOMPARE(w.DirectionBox1->itemText(2), diagonal);
        const QRect window(QPoint(0, 0), w.size());
        for (QWidget* c : w.findChildren<QWidget*>()) {
            if (c->objectName().isEmpty()) continue;
            const QString name = c->objectName();
            QVERIFY2(window.contains(QRect(c->mapTo(&w, QPoint(0, 0)), c->size())),
                     qPrintable(name + " lies outside the window"));
            const QFontMetrics fm(c->font());
            if (auto* label = qobject_cast<QLabel*>(c)) {
                const bool whole =
                    label->wordWrap()
                        ? label->heightForWidth(label->width()) <= label->height()
                        : fm.horizontalAdvance(label->text()) <= label->contentsRect().width();
                QVERIFY2(whole, qPrintable(name + " cuts its text: " + label->text()));
            } else if (qobject_cast<QCheckBox*>(c) ||
                       (qobject_cast<QPushButton*>(c) && !qobject_cast<ColourButton*>(c))) {
                QVERIFY2(c->sizeHint().width() <= c->width(), qPrintable(name + " cuts its text"));
            } else if (auto* group = qobject_cast<QGroupBox*>(c)) {
                QVERIFY2(fm.horizontalAdvance(group->title()) < group->width() - 16,
                         qPrintable(name + " cuts its title"));
            }
        }
    }

    void windowAndFixedChoices() {
        StripFixture f;
        TForm1& form = f.create();
        TForm2 w(&form);
        QCOMPARE(Form2, &w);
        QVERIFY(!w.isVisible());
        QCOMPARE(w.windowTitle(), QStringLiteral("設定"));
        QCOMPARE(w.windowType(), Qt::Tool);
        const Qt::WindowFlags flags = w.windowFlags();
        QVERIFY(flags & Qt::WindowCloseButtonHint);
        QVERIFY(!(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QCOMPARE(w.minimumSize(), QSize(559, 473));
        QCOMPARE(w.maximumSize(), QSize(559, 473));
        QCOMPARE(w.ShowTaskCheck->toolTip(), QStringLiteral("再起動が必要です"));

        // 44 separators, each one character; the astral ones are two UTF-16 units.
        QCOMPARE(w.ListBox1->count(), 44);
        for (int i = 0; i < 44; ++i)
            QVERIFY2(w.ListBox1->item(i)->text().toUcs4().size() == 1,
                     qPrintable(QString::number(i)));
        QCOMPARE(w.ListBox1->item(0)->text(), QStringLiteral("｜"));
        QCOMPARE(w.ListBox1->item(1)->text().toUcs4().front(), 0x1F42Fu);
        QCOMPARE(w.ListBox1->item(1)->text().size(), 2);
        QCOMPARE(w.ListBox1->item(11)->text(), QStringLiteral("⚫"));
        QCOMPARE(w.ListBox1->item(43)->text().toUcs4().front(), 0x1F4A9u);

        QCOMPARE(w.ComboBox1->count(), 12);
        QCOMPARE(w.ComboBox1->itemText(6), QStringLiteral("MS P ゴシック"));
        QCOMPARE(w.ComboBox1->itemText(11), QStringLiteral("游明朝"));
        QCOMPARE(w.DirectionBox1->itemText(2), QStringLiteral("斜め"));

        // Ranges, steps and decimals: values beyond the range are limited to it.
        w.OpSpin->setValue(1.5);
        QCOMPARE(w.OpSpin->value(), 1.0);
        w.OpSpin->stepBy(-1);
        QCOMPARE(w.OpSpin->value(), 0.9);
        QCOMPARE(w.OpSpin->decimals(), 1);
        w.SpinBox1->setValue(0);
        QCOMPARE(w.SpinBox1->value(), 1);
        w.SpinBox1->setValue(9);
        QCOMPARE(w.SpinBox1->value(), 5);
        w.OrgWidthSpin->setValue(1.0);
        w.OrgWidthSpin->stepBy(1);
        QCOMPARE(w.OrgWidthSpin->value(), 1.02);
        QCOMPARE(w.OrgWidthSpin->decimals(), 2);
        w.OrgWidthSpin->setValue(0.01);
        QCOMPARE(w.OrgWidthSpin->value(), 0.1);
    }

    void centredOnFirstShowingOnly() {
        StripFixture f;
        TForm1& form = f.create();
        TForm2 w(&form);
        w.placeForShowing();
        w.show();
        const QRect desk = QGuiApplication::primaryScreen()->geometry();
        // Within the platform's frame margin of the desktop's centre.
        QVERIFY((w.geometry().center() - desk.center()).manhattanLength() <= 4);
        w.move(10, 20);
        w.hide();
        w.placeForShowing();
        w.show();
        QCOMPARE(w.pos(), QPoint(10, 20));
    }

    void focusOrder() {
        StripFixture f;
        TForm1& form = f.create();
        TForm2 w(&form);
        w.show();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w, 30000));
        w.GraCheck->setFocus();
        const QStringList expected = {
            "GraCheck",      "ComboColorBox2", "ComboColorBox1", "DirectionBox1", "GazouCheck",
            "SelectFileBtn", "FontColorBox1",  "BoldCheck",      "ShadowCheck",   "ComboBox1",
            "OpSpin",        "SpinBox1",       "ShowTaskCheck",  "TopCheck",      "OrgWidthSpin",
            "Edit1",         "Edit2",          "ListBox1",       "CloseBtn",      "GraCheck"};
        QStringList seen;
        for (int i = 0; i < expected.size(); ++i) {
            QWidget* focus = QApplication::focusWidget();
            // A spin box's focus sits on its inner text field.
            while (focus && !expected.contains(focus->objectName()))
                focus = focus->parentWidget();
            seen << (focus ? focus->objectName() : QStringLiteral("?"));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QCOMPARE(seen, expected);
    }

    void intervalRoundTrip_data() {
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("shown");
        QTest::addColumn<int>("returned");
        QTest::newRow("1000 ms") << 1000 << 1 << 1000;
        QTest::newRow("1500 ms: half to even, up") << 1500 << 2 << 2000;
        QTest::newRow("2500 ms: half to even, down") << 2500 << 2 << 2000;
        QTest::newRow("250 ms: rounds to 0, limited to 1") << 250 << 1 << 1000;
        QTest::newRow("10000 ms: limited to 5") << 10000 << 5 << 5000;
    }
    void intervalRoundTrip() {
        QFETCH(int, stored);
        QFETCH(int, shown);
        QFETCH(int, returned);
        StripFixture f;
        f.writeIni(QStringLiteral("[Timer]\nInterval=%1\n").arg(stored));
        TForm1& form = f.create();
        TForm2 w(&form);
        w.fillFromStrip();
        QCOMPARE(w.SpinBox1->value(), shown);
        w.copyBackToStrip(); // the user touched nothing
        QCOMPARE(form.strip().timerInterval(), returned);
    }

    void outOfRangeValuesComeBackLimited() {
        StripFixture f;
        f.writeIni(QStringLiteral("[Form]\nOpacity=0.05\nOriginal=12\n"));
        TForm1& form = f.create();
        QCOMPARE(form.strip().Rectangle1.opacity(), 0.05f);
        TForm2 w(&form);
        w.fillFromStrip();
        QCOMPARE(w.OpSpin->value(), 0.1);
        QCOMPARE(w.OrgWidthSpin->value(), 10.0);
        w.copyBackToStrip();
        QCOMPARE(form.strip().Rectangle1.opacity(), 0.1f);
        QCOMPARE(form.strip().MuWidth, 10.0);
        QCOMPARE(form.strip().OriginalWidth, 5150);
        QCOMPARE(form.width(), 5160);
        QCOMPARE(form.strip().ScaledLayout1.logicalWidth, 5150.0f);
    }

    // The fractional boxes show one and two decimals; a value the user leaves alone comes back
    // as it was, and only what the user types or steps is taken from what the box shows.
    void fractionalValuesKept_data() {
        QTest::addColumn<QString>("opacity");  // as stored in the file
        QTest::addColumn<QString>("original"); // as stored in the file
        QTest::addColumn<QString>("action");   // what the user does in the window
        QTest::addColumn<float>("opacityAfter");
        QTest::addColumn<double>("originalAfter");
        QTest::addColumn<int>("widthAfter");
        QTest::newRow("0.55 and 1.234 untouched") << "0.55"
                                                  << "1.234"
                                                  << "" << 0.55f << 1.234 << 645;
        QTest::newRow("0.25 untouched") << "0.25"
                                        << "1"
                                        << "" << 0.25f << 1.0 << 525;
        QTest::newRow("1.005 untouched keeps its width") << "0.5"
                                                         << "1.005"
                                                         << "" << 0.5f << 1.005 << 527;
        QTest::newRow("focus passes through both boxes") << "0.55"
                                                         << "1.234"
                                                         << "focus" << 0.55f << 1.234 << 645;
        QTest::newRow("opacity stepped from the 0.6 shown")
            << "0.55"
            << "1.234"
            << "step opacity" << 0.7f << 1.234 << 645;
        QTest::newRow("width factor stepped from the 1.23 shown")
            << "0.55"
            << "1.234"
            << "step width" << 0.55f << 1.25 << 653;
        QTest::newRow("opacity stepped there and back: the 0.6 shown is taken")
            << "0.55"
            << "1.234"
            << "step opacity back" << 0.6f << 1.234 << 645;
        QTest::newRow("the shown text typed again is taken")
            << "0.55"
            << "1.234"
            << "type 0.6 1.23" << 0.6f << 1.23 << 643;
        QTest::newRow("typed values are taken") << "0.55"
                                                << "1.234"
                                                << "type 0.3 2.5" << 0.3f << 2.5 << 1297;
        QTest::newRow("stored below the range: the bound, then the 80-pixel guard")
            << "0.05"
            << "0.01"
            << "" << 0.1f << 0.1 << 80;
    }
    void fractionalValuesKept() {
        QFETCH(QString, opacity);
        QFETCH(QString, original);
        QFETCH(QString, action);
        QFETCH(float, opacityAfter);
        QFETCH(double, originalAfter);
        QFETCH(int, widthAfter);
        StripFixture f;
        f.writeIni(QStringLiteral("[Form]\nOpacity=%1\nOriginal=%2\n").arg(opacity, original));
        TForm1& form = f.create();
        TForm2 w(&form);
        w.fillFromStrip();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w, 30000));
        const QStringList words = action.split(' ', Qt::SkipEmptyParts);
        if (action == QLatin1String("focus")) {
            w.OpSpin->setFocus();
            w.OrgWidthSpin->setFocus();
            w.CloseBtn->setFocus();
        } else if (action == QLatin1String("step opacity")) {
            w.OpSpin->stepBy(1);
        } else if (action == QLatin1String("step opacity back")) {
            w.OpSpin->stepBy(1);
            w.OpSpin->stepBy(-1);
        } else if (action == QLatin1String("step width")) {
            w.OrgWidthSpin->stepBy(1);
        } else if (words.value(0) == QLatin1String("type")) {
            typeInto(w.OpSpin, words.value(1));
            typeInto(w.OrgWidthSpin, words.value(2));
        }
        w.copyBackToStrip();
        QCOMPARE(form.strip().Rectangle1.opacity(), opacityAfter);
        QCOMPARE(form.strip().MuWidth, originalAfter);
        QCOMPARE(form.width(), widthAfter);
    }

    // Text fields hold what the file held, however long.
    void longTextsKept() {
        StripFixture f;
        const QString format(1000000, QLatin1Char('x'));
        const QString sep = QStringLiteral("🐯").repeated(20000); // 40,000 UTF-16 units
        f.writeIni(QStringLiteral("[DATE]\nFORMAT=%1\nSEP=%2\n").arg(format, sep));
        TForm1& form = f.create();
        QCOMPARE(toQString(form.strip().DateFormatStr).size(), format.size());
        TForm2 w(&form);
        w.fillFromStrip();
        QCOMPARE(w.Edit1->text().size(), format.size());
        w.copyBackToStrip();
        QCOMPARE(toQString(form.strip().DateFormatStr), format);
        QCOMPARE(toQString(form.strip().SepStr), sep);
    }

    void fontFamily_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("shown");
        QTest::addColumn<QString>("after");
        auto s = [](const char* utf8) { return QString::fromUtf8(utf8); };
        QTest::newRow("lower case") << s("segoe ui") << 0 << s("Segoe UI");
        QTest::newRow("upper case") << s("MEIRYO UI") << 4 << s("Meiryo UI");
        QTest::newRow("Japanese part exact") << s("ms p ゴシック") << 6 << s("MS P ゴシック");
        // Only A-Z fold: full-width letters match no entry, and the family is kept.
        QTest::newRow("full-width letters") << s("ｓｅｇｏｅ ui") << -1 << s("ｓｅｇｏｅ ui");
        QTest::newRow("unknown family kept")
            << s("No Such Family 58") << -1 << s("No Such Family 58");
        // A family installed here (the machine's set-up installs it): offered after the fixed
        // entries (-2: any entry after them, showing `after`).
        QTest::newRow("installed family") << s("dejavu sans") << -2 << s("DejaVu Sans");
    }
    void fontFamily() {
        QFETCH(QString, stored);
        QFETCH(int, shown);
        QFETCH(QString, after);
        StripFixture f;
        f.writeIni(QStringLiteral("[Font]\nFamily=%1\n").arg(stored));
        TForm1& form = f.create();
        TForm2 w(&form);
        w.fillFromStrip();
        if (shown == -2) {
            QVERIFY(w.ComboBox1->currentIndex() >= 12);
            QCOMPARE(w.ComboBox1->currentText(), after);
        } else {
            QCOMPARE(w.ComboBox1->currentIndex(), shown);
        }
        w.copyBackToStrip();
        QCOMPARE(toQString(form.strip().FontFamilyName), after);
        QCOMPARE(toQString(form.strip().Label1.family), after);
    }

    void direction_data() {
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("picked"); // -1: the user picks nothing
        QTest::addColumn<int>("shown");
        QTest::addColumn<int>("after");
        QTest::addColumn<QPointF>("end"); // the gradient's end point after the copy-back
        QTest::newRow("7 untouched comes back as 7") << 7 << -1 << -1 << 7 << QPointF(0, 1);
        QTest::newRow("-3 comes back as -1") << -3 << -1 << -1 << -1 << QPointF(0, 1);
        QTest::newRow("7, then 水平 picked") << 7 << 1 << -1 << 1 << QPointF(1, 0);
        QTest::newRow("2 shown as 斜め") << 2 << -1 << 2 << 2 << QPointF(1, 1);
    }
    void direction() {
        QFETCH(int, stored);
        QFETCH(int, picked);
        QFETCH(int, shown);
        QFETCH(int, after);
        QFETCH(QPointF, end);
        StripFixture f;
        f.writeIni(QStringLiteral("[Back]\nGradient=1\nDirection=%1\n").arg(stored));
        TForm1& form = f.create();
        TForm2 w(&form);
        w.fillFromStrip();
        QCOMPARE(w.DirectionBox1->currentIndex(), shown);
        if (picked >= 0) w.DirectionBox1->setCurrentIndex(picked);
        w.copyBackToStrip();
        QCOMPARE(form.strip().Direction, after);
        QCOMPARE(form.strip().Rectangle1.fill.kind, FillKind::Gradient);
        QCOMPARE(toQPointF(form.strip().Rectangle1.fill.endPoint), end);
    }

    void separatorFromListClicks() {
        StripFixture f;
        TForm1& form = f.create();
        TForm2 w(&form);
        w.fillFromStrip();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w, 30000));
        QCOMPARE(w.Edit2->text(), QStringLiteral("｜"));
        // Appended at the end wherever the caret is and whatever is selected.
        w.Edit2->setSelection(0, 1);
        clickItem(w.ListBox1, 1);
        clickItem(w.ListBox1, 0);
        QCOMPARE(w.Edit2->text(), QStringLiteral("｜🐯｜"));
        // A control-click on the selected entry leaves none selected: nothing is appended.
        clickItem(w.ListBox1, 0, Qt::ControlModifier);
        QVERIFY(w.ListBox1->selectedItems().isEmpty());
        QCOMPARE(w.Edit2->text(), QStringLiteral("｜🐯｜"));

        w.copyBackToStrip();
        QCOMPARE(toQString(form.strip().SepStr), QStringLiteral("｜🐯｜"));
        form.strip().Timer1Timer();
        QVERIFY2(toQString(form.strip().Label1.text).startsWith(QStringLiteral("｜🐯｜2023")),
                 qPrintable(toQString(form.strip().Label1.text)));
        QCOMPARE(toQString(form.strip().Label1.text).count(QStringLiteral("｜🐯｜")), 3);
    }

    void colourPickerEditsAllFourChannels() {
        StripFixture f;
        TForm1& form = f.create();
        TForm2 w(&form);
        w.fillFromStrip();
        w.show();
        QCOMPARE(w.FontColorBox1->color(), 0xFF000000u);
        whenModal<QColorDialog>([](QColorDialog* d) {
            QVERIFY(d->testOption(QColorDialog::ShowAlphaChannel));
            d->setCurrentColor(QColor::fromRgba(0x78123456u));
            d->accept();
        });
        QTest::mouseClick(w.FontColorBox1, Qt::LeftButton);
        QCOMPARE(w.FontColorBox1->color(), 0x78123456u);
        whenModal<QColorDialog>([](QColorDialog* d) {
            d->setCurrentColor(Qt::red);
            d->reject();
        });
        QTest::mouseClick(w.FontColorBox1, Qt::LeftButton);
        QCOMPARE(w.FontColorBox1->color(), 0x78123456u); // cancelled: unchanged
        w.copyBackToStrip();
        QCOMPARE(form.strip().FontColor, 0x78123456u);
        QCOMPARE(form.strip().Label1.color, 0x78123456u);
        QCOMPARE(form.strip().SpeedButton1.color, 0x78123456u);
    }

    // The real command: the modal run, the handlers that act at once while the strip keeps
    // ticking, and the caption bar's close, which applies everything and saves nothing.
    void captionCloseAppliesWithoutSaving() {
        StripFixture f;
        f.writeIni(QStringLiteral("[Form]\nTopLevel=0\n[Effect]\nShadow=0\n[Font]\nBold=0\n"
                                  "[Back]\nColor1=FF102030\n"));
        TForm1& form = f.create();
        TForm2 w(&form);
        const QByteArray before = fileBytes(f.iniPath());
        QSignalSpy ticks(&form, &TForm1::ticked);
        bool checked = false;
        whenModal<TForm2>([&](TForm2* d) {
            CloseAtEnd closer;
            QVERIFY(d->isModal());
            QCOMPARE(d->ComboColorBox1->color(), 0xFF102030u);
            d->ComboColorBox1->setColor(0xFF405060);
            d->ShadowCheck->click();
            d->TopCheck->click();
            d->BoldCheck->click();
            QVERIFY(form.strip().ShadowEffect1.enabled); // the shadow shows at once
            QVERIFY(!form.strip().isShadow);             // its field waits for the close
            QVERIFY(form.strip().IsTop);                 // stay-on-top at once
            QVERIFY(form.strip().isBold);
            QVERIFY(!form.strip().Label1.bold);                 // bold only when the window closes
            QTRY_VERIFY_WITH_TIMEOUT(ticks.count() > 0, 30000); // the strip keeps ticking
            checked = true;
            d->close(); // the caption bar's close button
        });
        form.strip().SetCmdExecute();
        QVERIFY(checked);
        QVERIFY(!w.isVisible());
        QVERIFY(form.strip().Label1.bold);
        QVERIFY(form.strip().isShadow);
        QVERIFY(form.strip().IsTop);
        QCOMPARE(form.strip().BC0, 0xFF405060u);
        QCOMPARE(form.strip().Rectangle1.fill.color, 0xFF405060u);
        QCOMPARE(fileBytes(f.iniPath()), before); // nothing saved
    }

    // The Close button saves what the window holds: the file gets the values the copy-back gives
    // the strip, the strip's width from the width factor among them.
    void closeButtonSavesWhatTheWindowHolds() {
        StripFixture f;
        f.writeIni(QStringLiteral("[Back]\nColor1=FF102030\n[Timer]\nInterval=1000\n"
                                  "[DATE]\nFORMAT=hh:nn\n[Form]\nOriginal=1\nOpacity=0.55\n"));
        TForm1& form = f.create();
        TForm2 w(&form);
        const QString picture = f.dir.filePath(QStringLiteral("back.png"));
        QImage(4, 4, QImage::Format_RGB32).save(picture);
        whenModal<TForm2>([&](TForm2* d) {
            CloseAtEnd closer;
            d->ComboColorBox1->setColor(0xFF405060);
            d->SpinBox1->setValue(3);
            d->Edit1->setText(QStringLiteral("yyyy"));
            typeInto(d->OrgWidthSpin, QStringLiteral("2"));
            d->BoldCheck->click();
            d->TopCheck->click();
            whenModal<QFileDialog>([&](QFileDialog* fd) {
                QVERIFY(fd->nameFilters().join(QString()).isEmpty() ||
                        fd->nameFilters() == QStringList{QStringLiteral("All Files (*)")});
                fd->selectFile(picture);
                static_cast<QDialog*>(fd)->accept(); // QFileDialog::accept, checks the file
            });
            QTest::mouseClick(d->SelectFileBtn, Qt::LeftButton);
            QCOMPARE(toQString(form.strip().GazouFile), picture); // at once
            QTest::mouseClick(d->CloseBtn, Qt::LeftButton);
        });
        form.strip().SetCmdExecute();
        QVERIFY(!w.isVisible());
        // The strip shows the new values ...
        QCOMPARE(form.strip().Rectangle1.fill.color, 0xFF405060u);
        QCOMPARE(form.strip().timerInterval(), 3000);
        QCOMPARE(form.width(), 1040);
        // ... but not the picture: 画像表示 was not ticked.
        QCOMPARE(form.strip().Rectangle1.fill.kind, FillKind::Solid);
        QVERIFY(!form.strip().isGazou);
        // The file holds the same values.
        const StripSettings saved =
            readStripSettings(f.iniPath().toStdString(), f.services.localeSettings.decimalSep);
        QCOMPARE(saved.color1, 0xFF405060u);
        QCOMPARE(saved.interval, 3000);
        QCOMPARE(toQString(saved.format), QStringLiteral("yyyy"));
        QCOMPARE(saved.original, 2.0);
        QCOMPARE(saved.width, 1040);
        QCOMPARE(saved.opacity, 0.55f); // untouched: not rounded to the 0.6 shown
        QVERIFY(saved.bold);
        QVERIFY(saved.topLevel);
        QCOMPARE(toQString(saved.gazouFile), picture);
        QVERIFY(!saved.gazou);
    }

    void failingSaveKeepsTheWindowOpen() {
        StripFixture f;
        f.services.settingsPath = "/proc/zrm58/ZRM58.ini"; // can be neither read nor created
        TForm1& form = f.create();
        TForm2 w(&form);
        QString error;
        bool stayedOpen = false;
        whenModal<TForm2>([&](TForm2* d) {
            CloseAtEnd closer;
            d->Edit2->setText(QStringLiteral("/"));
            whenModal<QMessageBox>([&](QMessageBox* box) {
                error = box->text();
                box->accept();
            });
            QTest::mouseClick(d->CloseBtn, Qt::LeftButton);
            stayedOpen = d->isVisible();
            QCOMPARE(d->Edit2->text(), QStringLiteral("/")); // what the user set is still there
            d->close(); // the caption bar: applies without saving
        });
        form.strip().SetCmdExecute();
        QVERIFY(stayedOpen);
        QVERIFY2(error.contains(QStringLiteral("/proc/zrm58/ZRM58.ini")), qPrintable(error));
        QVERIFY(!w.isVisible());
        QCOMPARE(toQString(form.strip().SepStr), QStringLiteral("/"));
    }
};

QTEST_MAIN(SettingsWindowTest)
#include "SettingsWindowTest.moc"
