// The window contract as one table, asked of either binding: the same rows
// run against the simulator's headless window in CTest and against the real
// window in the binding checks under Wine.
#pragma once

#include <functional>
#include <memory>

#include "platform/window.h"
#include "tests/contract/contract_check.h"

namespace ocx::contract {

// A small window with one element of each kind, so that the rows depend on
// no design of the program's own.
const WindowLayout& windowContractLayout();

// Runs every row on a window that `openWindow` makes anew for it, hidden, as
// a binding makes it from windowContractLayout().
void checkWindowContract(const std::function<std::unique_ptr<WindowServices>()>& openWindow, Checker& checker);

}  // namespace ocx::contract
