// The Customize Columns dialog under offscreen Qt, driven through its widgets.
#include "listing/UColumnsForm.h"
#include "listing/UProgramProfile.h"
#include "tests/Screenshot.h"

#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

using namespace listing;

namespace {

std::vector<std::unique_ptr<TColumnGroup>> MakeGroups(const std::vector<TColumnGroupDef>& defs) {
    std::vector<std::unique_ptr<TColumnGroup>> v;
    for (const auto& d : defs)
        v.push_back(std::make_unique<TColumnGroup>(nullptr, d.visible, d.ids, d.caption));
    return v;
}

std::vector<TColumnGroup*> Ptrs(const std::vector<std::unique_ptr<TColumnGroup>>& v) {
    std::vector<TColumnGroup*> p;
    for (const auto& g : v)
        p.push_back(g.get());
    return p;
}

void ClickCheck(QListWidget* list, int row, bool checked) {
    list->item(row)->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

} // namespace

class TestColumnsForm : public QObject {
    Q_OBJECT
private slots:
    void noGroupsReturnsCancelWithoutShowing();
    void oneTabPerGroupOnTheGivenPage();
    void namingColumnIsRecheckedAndButtonsFollowChecks();
    void okAppliesAndCancelLeavesGroups();
    void resetOnlyTouchesItsTab();
    void helpAsksForItsContext();
    void screenshot();
};

void TestColumnsForm::noGroupsReturnsCancelWithoutShowing() {
    TColumnsForm form;
    QCOMPARE(form.Execute(0, {}), int(QDialog::Rejected));
    QCOMPARE(form.TabCount(), 0);
}

void TestColumnsForm::oneTabPerGroupOnTheGivenPage() {
    auto analyser = MakeGroups(AnalyserGroupDefs());
    TColumnsForm form;
    QVERIFY(form.Prepare(12, Ptrs(analyser)));
    QCOMPARE(form.TabCount(), 9);
    QCOMPARE(form.PageControl()->currentIndex(), 0); // page 12 does not exist
    QCOMPARE(form.PageControl()->tabText(0), QString("&Folders"));
    QCOMPARE(form.PageControl()->tabText(8), QString("C&us. Type"));
    QCOMPARE(form.Tab(2).list->count(), 13);
    QVERIFY(!form.Tab(0).moveUp->isEnabled());
    QVERIFY(!form.Tab(0).spin->isEnabled());
    QVERIFY(form.Tab(0).reset->isEnabled());

    auto main = MakeGroups(ExplorerProfile().mainGroups);
    TColumnsForm second;
    QVERIFY(second.Prepare(2, Ptrs(main)));
    QCOMPARE(second.PageControl()->currentIndex(), 2);
    QCOMPARE(second.PageControl()->tabText(2), QString("&Normal View"));
}

void TestColumnsForm::namingColumnIsRecheckedAndButtonsFollowChecks() {
    auto main = MakeGroups(ExplorerProfile().mainGroups);
    TColumnsForm form;
    QVERIFY(form.Prepare(0, Ptrs(main)));
    TColumnsForm::TTab& t = form.Tab(0);
    ClickCheck(t.list, 0, false);
    QCOMPARE(t.list->item(0)->checkState(), Qt::Checked);
    QCOMPARE(t.list->currentRow(), 0);
    QVERIFY(!t.show->isEnabled() && !t.hide->isEnabled() && !t.moveUp->isEnabled() &&
            !t.moveDown->isEnabled());
    QVERIFY(t.spin->isEnabled());
    QCOMPARE(t.spin->value(), 150);
    t.list->setCurrentRow(1);
    QVERIFY(!t.moveUp->isEnabled());
    QVERIFY(t.moveDown->isEnabled());
    QVERIFY(t.hide->isEnabled());
    ClickCheck(t.list, 1, false); // Show and Hide follow the box
    QVERIFY(t.show->isEnabled());
    QVERIFY(!t.hide->isEnabled());
    ClickCheck(t.list, 10, true); // another row's box selects that row
    QCOMPARE(t.list->currentRow(), 10);
    QVERIFY(t.hide->isEnabled());
    t.list->setCurrentRow(14);
    QVERIFY(!t.moveDown->isEnabled());
}

void TestColumnsForm::okAppliesAndCancelLeavesGroups() {
    auto main = MakeGroups(ExplorerProfile().mainGroups);
    TColumnGroup& g = *main[0];
    {
        TColumnsForm form;
        QVERIFY(form.Prepare(0, Ptrs(main)));
        TColumnsForm::TTab& t = form.Tab(0);
        t.list->setCurrentRow(11); // Extension, hidden
        QTest::mouseClick(t.show, Qt::LeftButton);
        QTest::mouseClick(t.moveUp, Qt::LeftButton);
        QCOMPARE(t.list->currentRow(), 10);
        t.spin->setValue(123);
        form.ApplyAll();
    }
    QVERIFY(g.Modified);
    QCOMPARE(g.VisibleCount, 8);
    QCOMPARE(g.ColumnIdAt(7), 16);
    QCOMPARE(g.GetWidth(16), 123);
    g.ClearModified();
    const auto order = g.Order;
    {
        TColumnsForm form;
        QTimer::singleShot(0, &form, [&form] {
            form.Tab(0).list->setCurrentRow(3);
            QTest::mouseClick(form.Tab(0).hide, Qt::LeftButton);
            form.reject();
        });
        QCOMPARE(form.Execute(0, Ptrs(main)), int(QDialog::Rejected));
    }
    QCOMPARE(g.Order, order);
    QVERIFY(!g.Modified);
    {
        TColumnsForm form; // OK without changes: nothing to rebuild
        QTimer::singleShot(0, &form, [&form] { QTest::mouseClick(form.OKButton(), Qt::LeftButton); });
        QCOMPARE(form.Execute(0, Ptrs(main)), int(QDialog::Accepted));
    }
    QVERIFY(!g.Modified);
}

void TestColumnsForm::resetOnlyTouchesItsTab() {
    auto main = MakeGroups(ExplorerProfile().mainGroups);
    main[0]->SetColumnAt(1, 21);
    main[0]->SetColumnAt(14, 1);
    main[1]->SetVisibleCount(2);
    TColumnsForm form;
    QVERIFY(form.Prepare(0, Ptrs(main)));
    form.Tab(0).list->setCurrentRow(2);
    QTest::mouseClick(form.Tab(0).reset, Qt::LeftButton);
    QCOMPARE(form.Tab(0).list->item(1)->data(Qt::UserRole).toInt(), 1);
    QCOMPARE(form.Tab(0).list->currentRow(), -1);
    QVERIFY(!form.Tab(0).spin->isEnabled());
    form.ApplyAll();
    QCOMPARE(main[0]->Order, main[0]->DefaultOrder);
    QCOMPARE(main[1]->VisibleCount, 2);
}

void TestColumnsForm::helpAsksForItsContext() {
    int asked = 0;
    model::SetHelpHandler([&asked](int context) { asked = context; });
    TColumnsForm form;
    auto main = MakeGroups(ExplorerProfile().mainGroups);
    QVERIFY(form.Prepare(0, Ptrs(main)));
    auto* help = form.findChild<QPushButton*>(QString(), Qt::FindDirectChildrenOnly);
    for (QPushButton* b : form.findChildren<QPushButton*>(QString(), Qt::FindDirectChildrenOnly))
        if (b->text() == "&Help") help = b;
    QTest::mouseClick(help, Qt::LeftButton);
    QCOMPARE(asked, 1015);
    model::SetHelpHandler(nullptr);
}

void TestColumnsForm::screenshot() {
    auto main = MakeGroups(ExplorerProfile().mainGroups);
    TColumnsForm form;
    QVERIFY(form.Prepare(0, Ptrs(main)));
    form.Tab(0).list->setCurrentRow(3);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QVERIFY(txtest::SaveScreenshot(form, "columns"));
}

QTEST_MAIN(TestColumnsForm)
#include "qtest_UColumnsForm.moc"
