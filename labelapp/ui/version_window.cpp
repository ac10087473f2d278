#include "ui/version_window.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace labelora {

VersionWindow::VersionWindow(QWidget *parent) : QDialog(parent) {
    setObjectName("frmVersion");
    setWindowTitle("Version");
    auto *layout = new QVBoxLayout(this);
    auto *text = new QLabel(QString("<b>labelora</b> %1<br>ラベル印刷プログラム<br>Qt %2")
                                .arg(LABELORA_VERSION, qVersion()));
    text->setAlignment(Qt::AlignCenter);
    layout->addWidget(text);
    auto *ok = new QPushButton("OK");
    ok->setObjectName("cmdOK");
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(ok, 0, Qt::AlignCenter);
}

}  // namespace labelora
