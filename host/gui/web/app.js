// The page: the host application's bar, and a desktop on which every top-level window of the
// module's snapshot is drawn at its pixel rectangle. What the person does goes back as actions
// (POST /api/act); the page redraws from the next version of the state. Nothing here knows the
// dialogs: it draws whatever windows and controls the snapshot holds.
//
//   session.js   the state (followed by a long poll), posting calls and actions, pictures
//   hostbar.js   the host's bar: exports, language, machine and PC switches, status
//   desktop.js   windows, menus, and the keys and clicks that belong to no control
//   controls.js  buttons, statics, edits, progress bars; combo.js, listview.js, scrollbar.js
import { drawWith, follow } from './session.js';
import { renderHost } from './hostbar.js';
import { renderDesktop } from './desktop.js';

drawWith(() => {
  renderHost();
  renderDesktop();
});
follow();
