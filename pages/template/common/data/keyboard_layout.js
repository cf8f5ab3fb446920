// The keyboards' drawing: the program's lighting matrix (6 rows of 21
// positions; a key's position is its place in the lighting frame, and its
// name is what "WriteRGBDevice" names it by) and where each key is drawn,
// in key widths. Which definition key a matrix name stands for comes from
// the Driver definition (its key rows carry the matrix name as "Value").
// (A module rather than a JSON file: the page scheme serves scripts.)
export default {
  "columns": 21,
  "matrix": [
    "ESC", "", "F1", "F2", "F3", "F4", "F5", "F6", "F7", "F8", "F9", "F10", "F11", "F12",
    "PRINTSCREEN", "SCROLLLOCK", "PAUSE", "", "", "", "",
    "TILDE", "1", "2", "3", "4", "5", "6", "7", "8", "9", "0", "MINUS", "EQUAL", "BACKSPACE",
    "INSERT", "HOME", "PAGEUP", "NUMLOCK", "NUMSLASH", "NUMSTAR", "NUMMINUS",
    "TAB", "Q", "W", "E", "R", "T", "Y", "U", "I", "O", "P", "LBRACKET", "RBRACKET", "BACKSLASH",
    "DELETE", "END", "PAGEDOWN", "NUM7", "NUM8", "NUM9", "NUMPLUS",
    "CAPSLOCK", "A", "S", "D", "F", "G", "H", "J", "K", "L", "SEMICOLON", "QUOTE", "ENTER",
    "", "", "", "", "NUM4", "NUM5", "NUM6", "",
    "LSHIFT", "Z", "X", "C", "V", "B", "N", "M", "COMMA", "PERIOD", "SLASH", "", "RSHIFT",
    "", "", "UP", "", "NUM1", "NUM2", "NUM3", "NUMENTER",
    "LCTRL", "LWIN", "LALT", "", "", "SPACEBAR", "", "", "", "RALT", "FN", "APPKEY", "",
    "RCTRL", "LEFT", "DOWN", "RIGHT", "NUM0", "", "NUMPERIOD", ""
  ],
  "width": 22.5,
  "height": 6.5,
  // Per drawn row: its top, then [name, left, width, height] (width and
  // height 1 when left out).
  "rows": [
    [0, [["ESC", 0], ["F1", 2], ["F2", 3], ["F3", 4], ["F4", 5], ["F5", 6.5], ["F6", 7.5], ["F7", 8.5], ["F8", 9.5],
         ["F9", 11], ["F10", 12], ["F11", 13], ["F12", 14], ["PRINTSCREEN", 15.25], ["SCROLLLOCK", 16.25], ["PAUSE", 17.25]]],
    [1.5, [["TILDE", 0], ["1", 1], ["2", 2], ["3", 3], ["4", 4], ["5", 5], ["6", 6], ["7", 7], ["8", 8], ["9", 9], ["0", 10],
           ["MINUS", 11], ["EQUAL", 12], ["BACKSPACE", 13, 2], ["INSERT", 15.25], ["HOME", 16.25], ["PAGEUP", 17.25],
           ["NUMLOCK", 18.5], ["NUMSLASH", 19.5], ["NUMSTAR", 20.5], ["NUMMINUS", 21.5]]],
    [2.5, [["TAB", 0, 1.5], ["Q", 1.5], ["W", 2.5], ["E", 3.5], ["R", 4.5], ["T", 5.5], ["Y", 6.5], ["U", 7.5], ["I", 8.5],
           ["O", 9.5], ["P", 10.5], ["LBRACKET", 11.5], ["RBRACKET", 12.5], ["BACKSLASH", 13.5, 1.5], ["DELETE", 15.25],
           ["END", 16.25], ["PAGEDOWN", 17.25], ["NUM7", 18.5], ["NUM8", 19.5], ["NUM9", 20.5], ["NUMPLUS", 21.5, 1, 2]]],
    [3.5, [["CAPSLOCK", 0, 1.75], ["A", 1.75], ["S", 2.75], ["D", 3.75], ["F", 4.75], ["G", 5.75], ["H", 6.75], ["J", 7.75],
           ["K", 8.75], ["L", 9.75], ["SEMICOLON", 10.75], ["QUOTE", 11.75], ["ENTER", 12.75, 2.25], ["NUM4", 18.5],
           ["NUM5", 19.5], ["NUM6", 20.5]]],
    [4.5, [["LSHIFT", 0, 2.25], ["Z", 2.25], ["X", 3.25], ["C", 4.25], ["V", 5.25], ["B", 6.25], ["N", 7.25], ["M", 8.25],
           ["COMMA", 9.25], ["PERIOD", 10.25], ["SLASH", 11.25], ["RSHIFT", 12.25, 2.75], ["UP", 16.25], ["NUM1", 18.5],
           ["NUM2", 19.5], ["NUM3", 20.5], ["NUMENTER", 21.5, 1, 2]]],
    [5.5, [["LCTRL", 0, 1.25], ["LWIN", 1.25, 1.25], ["LALT", 2.5, 1.25], ["SPACEBAR", 3.75, 6.25], ["RALT", 10, 1.25],
           ["FN", 11.25, 1.25], ["APPKEY", 12.5, 1.25], ["RCTRL", 13.75, 1.25], ["LEFT", 15.25], ["DOWN", 16.25],
           ["RIGHT", 17.25], ["NUM0", 18.5, 2], ["NUMPERIOD", 20.5]]]
  ],
  // Short keycap texts where the definition's key label is too long for a
  // key; other keys show their definition label.
  "caps": {
    "ESC": "Esc", "PRINTSCREEN": "PrtSc", "SCROLLLOCK": "ScrLk", "PAUSE": "Pause", "BACKSPACE": "⌫",
    "INSERT": "Ins", "HOME": "Home", "PAGEUP": "PgUp", "DELETE": "Del", "END": "End", "PAGEDOWN": "PgDn",
    "NUMLOCK": "Num", "NUMSLASH": "/", "NUMSTAR": "*", "NUMMINUS": "-", "NUMPLUS": "+", "NUMENTER": "↵",
    "NUMPERIOD": ".", "CAPSLOCK": "Caps", "ENTER": "Enter", "LSHIFT": "Shift", "RSHIFT": "Shift", "TAB": "Tab",
    "LCTRL": "Ctrl", "RCTRL": "Ctrl", "LWIN": "Win", "LALT": "Alt", "RALT": "Alt", "FN": "Fn", "APPKEY": "Menu",
    "SPACEBAR": "", "UP": "↑", "DOWN": "↓", "LEFT": "←", "RIGHT": "→",
    "NUM0": "0", "NUM1": "1", "NUM2": "2", "NUM3": "3", "NUM4": "4", "NUM5": "5", "NUM6": "6", "NUM7": "7", "NUM8": "8", "NUM9": "9"
  },
  // The G keys, drawn in a column left of the main block, spread over
  // its height.
  "gKeys": { "left": -1.75, "gap": 0.1 }
};
