#include "sign_in.h"

#include "board/board.h"
#include "db/batch.h"
#include "db/quoting.h"
#include "dialogs/dialog_values.h"

namespace zsignin {

namespace {

using Outcome = SignInResult::Outcome;

SignInResult refuse(zboard::Board &board, const QString &text, bool clearPassword) {
  zdlg::DialogMessage = text;
  board.messenger().showInformation();
  return {Outcome::Refused, clearPassword};
}

}  // namespace

SignInResult signIn(zboard::Board &board, const QString &password) {
  zboard::SignedInUser &user = board.user;
  user.SignedInUserName.clear();
  user.SignedInUserNo = 0;

  SignInResult result;
  // A lookup the server rejects goes to the error box; the keypad stays as it was.
  board.runCommand([&] {
    // Both user look-ups go in one request: the second writes nothing, and its answer is only
    // used when the first found the operator.
    zdb::Query &users = board.QueryKullanici;
    const QString current = QStringLiteral("Select*From User Where Isten_Ayrildi =\"0\" and usersifre = \"") +
                            zdb::quoted(password) + QStringLiteral("\"");
    const QString delivery =
        QStringLiteral("Select*From User Where Isten_Ayrildi =\"0\" and PaketServis =\"1\" and usersifre = \"") +
        zdb::quoted(password) + QStringLiteral("\"");
    zdb::Batch lookups(board.Connect);
    lookups.add(current, true);
    lookups.add(delivery, true);
    lookups.send(zdb::Batch::OnFailure::Keep);
    lookups.expectRan(0);
    users.restore(lookups.takeRows(0));
    if (users.isEmpty()) {
      result = refuse(board, QStringLiteral("Geçersiz Şifre !!!"), false);
      return;
    }
    user.SignedInUserName = users.field(QStringLiteral("USERNAME")).asString();
    user.SignedInUserNo = users.field(QStringLiteral("USERNO")).asInteger();
    const QString &name = user.SignedInUserName;

    // Rights come from the first current user with this password who may work on delivery orders.
    lookups.expectRan(1);
    users.restore(lookups.takeRows(1));
    if (users.isEmpty()) {
      result = refuse(board, name + QStringLiteral(" Paket Sipariş için Yeterli Yetkiniz Yok  !!!"), true);
      return;
    }
    if (users.field(QStringLiteral("NAKITKAPATMA")).asInteger() != 1) {
      result = refuse(board, name + QStringLiteral(" NAKIT kapama Yetkiniz Yok  !!!"), true);
      return;
    }

    zdb::Query &sections = board.QueryKisimYetki;
    sections.setText(QStringLiteral("SELECT Distinct kisim, Username FROM zerdapos.userkisbol Where Username = \"") +
                     zdb::quoted(name) + QStringLiteral("\" AND siparistipi = \"2\""));
    sections.open();
    if (sections.isEmpty()) {
      result = refuse(board, name + QStringLiteral(" için Paket Gelir Noktası Atanmamış !!!"), true);
      return;
    }

    QStringList items;
    for (sections.first(); !sections.eof(); sections.next())
      items << sections.field(QStringLiteral("Kisim")).asString();
    board.ListBox1.items = items;
    emit board.listsChanged();
    result = {Outcome::SignedIn, true};
  });
  return result;
}

}  // namespace zsignin
