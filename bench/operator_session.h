#pragma once
#include <QString>
#include <cstdint>
#include <vector>

namespace zbench {

class Relay;

// The seeded restaurant of an operator's session: `couriers` active couriers, the courier Ali
// with `orders` ready orders of `lines` lines each.
struct SessionShape {
  int couriers = 10;
  int orders = 30;
  int lines = 4;
};

// What one command of the session cost.
struct CommandCost {
  QString command;
  std::int64_t requests = 0;  // round trips between the program and the server
  double seconds = 0;
};

// Reseeds the orders and couriers of the session (the restaurant must be seeded already).
void seedSession(const SessionShape &shape);

// Runs an operator's whole session on the headless board, connected through `relay`: connect,
// sign-in with the first board start-up, the courier's listing, a tap on a register cell,
// GÜNCELLE, the closing run of every order, the reload after it, TERK, and a sign-in with a later
// showing of the board. Returns each command's cost in that order; on anything the operator would
// not accept (an error box, a missing order, an order left open) it returns nothing and says why
// in `error`.
std::vector<CommandCost> runOperatorSession(Relay &relay, const SessionShape &shape, QString *error);

// The commands' names, in the order runOperatorSession() gives them.
inline const char *const kSessionCommands[] = {
    "connect",        "sign-in with the first start-up", "listing (courier tap)", "register cell tap",
    "GÜNCELLE",       "closing run",                     "reload after the run",  "TERK",
    "sign-in, later showing"};

}  // namespace zbench
