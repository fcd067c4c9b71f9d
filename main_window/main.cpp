// Lexorra: a word-by-word dictionary translator. It reads its letter files
// (a.txt, b.txt, ...) from the current working directory.
#include "frm_trans.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    lexorra::FrmTrans frmTrans;
    frmTrans.show();
    return QApplication::exec();
}
