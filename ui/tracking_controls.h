#pragma once
// The window's side of the tracking server: the "Tools" menu with its
// "Tracking server" check item, and the status line under the window's
// content that tells where it listens, how many clients it has and how its
// last request went.
class velta;

namespace tracking {
class Server;
}

namespace tracking_controls {
// Builds the window's server, the Tools menu (before Help) and the status
// line; called once from the window's build, after the menu bar.
void BUILD(velta& w);
// The server of the window.
tracking::Server& SERVER(velta& w);
}  // namespace tracking_controls
