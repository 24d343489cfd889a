#pragma once
#include <QString>

namespace zboard {
class Board;
}

namespace zsignin {

// What the keypad does after a sign-in attempt.
struct SignInResult {
  enum class Outcome {
    SignedIn,  // the board is to be shown
    Refused,   // a refusal was shown
    Failed     // a database error was shown in the error box
  };
  Outcome outcome = Outcome::Failed;
  bool clearPassword = false;  // the password field is to be emptied
  bool showBoard() const { return outcome == Outcome::SignedIn; }
};

// Looks the password up among current staff, checks the rights to delivery orders and to closing in
// cash, and puts the operator's delivery sections into the board's ListBox1. Refusals are shown in
// the information box; a database error in the error box. The board's signed-in user is reset at
// the start of every attempt and set from the first lookup.
SignInResult signIn(zboard::Board &board, const QString &password);

}  // namespace zsignin
