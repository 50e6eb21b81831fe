#include "MainWindowFixture.h"
#include "DialogAnswerer.h"
#include "KREdit.h"
#include "KRComboBox.h"
#include "RegisterEditorU.h"
#include <QTest>
#include <QApplication>
class Spike : public QObject { Q_OBJECT
private slots:
  void run() {
    MainWindowFixture f(R"({"devices":[{"physId":"FT1","deviceType":715,"frozen":true,
       "variables":{".Code2":16777216}}]})");
    auto &w = f.open({"FT1"});
    w.show(); QApplication::setActiveWindow(&w); QVERIFY(QTest::qWaitForWindowActive(&w));
    qDebug() << "contact" << w.session().device.contact << "accepted" << w.session().device.deviceAccepted;
    f.clearTrace();
    f.tick(1);
    for (auto &l : f.traceLines()) qDebug() << l;
    f.tick(19);
    qDebug() << "writes" << f.writes();
    for (int r=1;r<=8;++r) qDebug() << r << w.registerEditor->registerText(r) << int(w.session().state(r));
    f.clearTrace(); f.tick(20); qDebug() << "writes2" << f.writes();
    for (int s=1;s<=20;++s) qDebug() << s << int(w.session().state(s));
  }
};
QTEST_MAIN(Spike)
#include "tst_registereditor.moc"
