// Tells Orvanta which window is in front (GNOME Shell 45 and later), so
// that its mouse presets follow it. Each change of the focused window is
// sent to Orvanta on the session bus; nothing is sent while Orvanta is not
// running (the call does not start it).
import Gio from 'gi://Gio';
import GLib from 'gi://GLib';
import Meta from 'gi://Meta';
import {Extension} from 'resource:///org/gnome/shell/extensions/extension.js';

function report() {
    const w = global.display.focus_window;
    const program = w && w.get_window_type() !== Meta.WindowType.DESKTOP;
    const app = program ? (w.get_wm_class() || w.get_sandboxed_app_id() || w.get_gtk_application_id() || '') : '';
    const args = new GLib.Variant('(sss)', [app, program ? (w.get_title() || '') : '', program ? String(w.get_pid()) : '']);
    Gio.DBus.session.call('org.orvanta.Orvanta', '/org/orvanta/Focus', 'org.orvanta.Focus1', 'WindowActivated', args,
        null, Gio.DBusCallFlags.NO_AUTO_START, 1000, null, () => {});
}

export default class OrvantaFocus extends Extension {
    enable() {
        this._focus = global.display.connect('notify::focus-window', report);
        report();
    }

    disable() {
        global.display.disconnect(this._focus);
        this._focus = 0;
    }
}
