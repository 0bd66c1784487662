// The picker: how each way of leaving it comes back to the member search.
#include "app/frmMainResults.h"

#include "platform/db/access/Recordset.h"
#include "platform/runtime/RuntimeError.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QIcon>
#include <QPushButton>
#include <QTest>
#include <QTreeView>

using Row = frmMainResults::Row;

class tst_frmMainResults : public QObject
{
    Q_OBJECT

private:
    static std::vector<Row> threeRows()
    {
        return {{QStringLiteral("#11"), QStringLiteral("501"), QStringLiteral("Ana Sá"), QStringLiteral("Loja A"),
                 QStringLiteral("ana@a.pt")},
                {QStringLiteral("#12"), QStringLiteral("502"), QStringLiteral("Ana D'Ávila"), QStringLiteral("Loja B"),
                 QStringLiteral(" ")},
                {QStringLiteral("#13"), QStringLiteral("503"), QStringLiteral("Anabela"), QStringLiteral("Loja C"),
                 QStringLiteral("b@c.pt")}};
    }

    static QTreeView *list(frmMainResults &picker)
    {
        return picker.findChild<QTreeView *>(QStringLiteral("ListView1"));
    }

    static QModelIndex row(QTreeView *view, int at) { return view->model()->index(at, 0); }

private slots:
    void design()
    {
        frmMainResults picker;
        QCOMPARE(picker.windowTitle(), QStringLiteral("Vários resultados encontrados"));
        QTreeView *view = list(picker);
        QCOMPARE(view->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Nº Empresa"));
        QCOMPARE(view->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Nome"));
        QCOMPARE(view->columnWidth(0), 100);
        QCOMPARE(view->columnWidth(1), 567);
        QVERIFY(view->isColumnHidden(2) && view->isColumnHidden(3));
        QCOMPARE(view->editTriggers(), QAbstractItemView::NoEditTriggers);
        for (const char *name : {"Command1", "Command2"}) {
            auto *button = picker.findChild<QPushButton *>(QLatin1String(name));
            QVERIFY(!button->isDefault() && !button->autoDefault());
        }
        QVERIFY(!picker.Cancelar);
        QVERIFY(testsupport::drawnInDeskFace(view->font()));
    }

    void rowsCarryKeyTextAndSubItems()
    {
        frmMainResults picker;
        picker.addItems(threeRows());
        QCOMPARE(picker.itemCount(), 3);
        QVERIFY(!row(list(picker), 1).data(Qt::DecorationRole).value<QIcon>().isNull());
        list(picker)->setCurrentIndex(row(list(picker), 1));
        const auto row = picker.selectedRow();
        QVERIFY(row);
        QCOMPARE(row->key, QStringLiteral("#12"));
        QCOMPARE(row->text, QStringLiteral("502"));
        QCOMPARE(row->subItem1, QStringLiteral("Ana D'Ávila"));
        QCOMPARE(row->subItem2, QStringLiteral("Loja B"));
        QCOMPARE(row->subItem3, QStringLiteral(" "));
    }

    // A name search hands over its rows as they came; Null shows as one blank.
    void rowsOfAResultSet()
    {
        platform::ResultTable table{
            {QStringLiteral("CONTACTO_ID"), QStringLiteral("no_empresa"), QStringLiteral("nome_union"),
             QStringLiteral("empresa"), QStringLiteral("email")},
            {{qlonglong(7), QStringLiteral("501"), QStringLiteral("Ana Sá"), QVariant(), QStringLiteral("a@a.pt")},
             {qlonglong(8), QStringLiteral("502"), QStringLiteral("Rui"), QStringLiteral("Loja"), QVariant()}}};
        frmMainResults picker;
        picker.addRows(table);
        QCOMPARE(picker.itemCount(), 2);
        QCOMPARE(row(list(picker), 0).data().toString(), QStringLiteral("501"));
        list(picker)->setCurrentIndex(row(list(picker), 1));
        const auto chosen = picker.selectedRow();
        QVERIFY(chosen);
        QCOMPARE(chosen->key, QStringLiteral("#8"));
        QCOMPARE(chosen->subItem1, QStringLiteral("Rui"));
        QCOMPARE(chosen->subItem3, QStringLiteral(" "));

        table.rows.append(table.rows.first());
        frmMainResults repeated;
        QVERIFY_THROWS_EXCEPTION(platform::RuntimeError, repeated.addRows(table));
        QCOMPARE(repeated.itemCount(), 0);
    }

    void repeatedKeyIsARunTimeError()
    {
        frmMainResults picker;
        auto rows = threeRows();
        rows.push_back(rows.front());
        try {
            picker.addItems(rows);
            QFAIL("a repeated key was accepted");
        } catch (const platform::RuntimeError &error) {
            QCOMPARE(error.number(), 35602);
        }
        QCOMPARE(picker.itemCount(), 0);
    }

    // Each way out of the modal show, and what the caller then reads.
    void leaving_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("cancelled");
        QTest::addColumn<QString>("key");
        QTest::newRow("OK takes the first row") << "ok" << false << "#11";
        QTest::newRow("Cancelar") << "cancel" << true << "#11";
        QTest::newRow("close box confirms") << "closebox" << false << "#11";
        QTest::newRow("double click in the list") << "doubleclick" << false << "#13";
        QTest::newRow("Down then OK") << "down-ok" << false << "#12";
        QTest::newRow("Escape does nothing, then OK") << "escape-ok" << false << "#11";
        QTest::newRow("Enter does nothing, then Cancelar") << "enter-cancel" << true << "#11";
        QTest::newRow("Enter on a focused OK") << "enter-on-ok" << false << "#11";
        QTest::newRow("Enter on a focused Cancelar") << "enter-on-cancel" << true << "#11";
    }

    void leaving()
    {
        QFETCH(QString, action);
        QFETCH(bool, cancelled);
        QFETCH(QString, key);
        QWidget owner;
        owner.show();
        auto picker = std::make_unique<frmMainResults>(&owner);
        picker->addItems(threeRows());
        testsupport::whenModal([&](QWidget *modal) {
            auto *dialog = qobject_cast<frmMainResults *>(modal);
            QTreeView *view = list(*dialog);
            auto *ok = dialog->findChild<QPushButton *>(QStringLiteral("Command2"));
            auto *cancel = dialog->findChild<QPushButton *>(QStringLiteral("Command1"));
            if (action == QLatin1String("ok"))
                QTest::mouseClick(ok, Qt::LeftButton);
            else if (action == QLatin1String("cancel"))
                QTest::mouseClick(cancel, Qt::LeftButton);
            else if (action == QLatin1String("closebox"))
                dialog->close();
            else if (action == QLatin1String("doubleclick")) {
                view->setCurrentIndex(row(view, 2));
                QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(row(view, 2)).center());
            } else if (action == QLatin1String("down-ok")) {
                QTest::keyClick(view, Qt::Key_Down);
                QTest::mouseClick(ok, Qt::LeftButton);
            } else if (action == QLatin1String("escape-ok")) {
                QTest::keyClick(view, Qt::Key_Escape);
                QVERIFY(dialog->isVisible());
                QTest::mouseClick(ok, Qt::LeftButton);
            } else if (action.startsWith(QLatin1String("enter-on-"))) {
                QPushButton *button = action.endsWith(QLatin1String("ok")) ? ok : cancel;
                button->setFocus();
                QTest::keyClick(button, Qt::Key_Return);
            } else if (action == QLatin1String("enter-cancel")) {
                QTest::keyClick(view, Qt::Key_Return);
                QVERIFY(dialog->isVisible());
                QTest::mouseClick(cancel, Qt::LeftButton);
            }
        });
        picker->exec();
        QVERIFY(!picker->isVisible());
        QCOMPARE(picker->Cancelar, cancelled);
        QCOMPARE(picker->selectedRow()->key, key);
        QVERIFY(picker->Form_Unload()); // hidden now: the unload goes through
    }

    void unloadWhileVisibleOnlyHides()
    {
        frmMainResults picker;
        picker.addItems(threeRows());
        picker.show();
        QVERIFY(!picker.Form_Unload());
        QVERIFY(!picker.isVisible());
        QCOMPARE(picker.itemCount(), 3);
    }
};

QTEST_MAIN(tst_frmMainResults)
#include "tst_frmMainResults.moc"
