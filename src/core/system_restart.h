#pragma once
// The one way the program restarts the machine. Test runs set the
// environment variable TESSALINE_NO_RESTART=1: the request is then only
// traced ("restart requested"), so that no test machine ever restarts; with
// TESSALINE_NO_RESTART=refuse it is traced and fails, as when the system
// refuses it.

namespace kv {

// Enables the shutdown privilege and asks for a restart (planned,
// application, installation). Returns whether the request was made.
bool restart_system();

}  // namespace kv
