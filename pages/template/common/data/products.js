// The products the pages know: see core/catalogue.js for what each member means.
// The families ("family" below) are the program's table, not kept here.
// (A module rather than a JSON file: the page scheme serves scripts, not fetches.)
export default {
  "lightingModes": {
    "mouse": [
      { "value": 0, "name": "off", "uses": [] },
      { "value": 1, "name": "static", "uses": ["colour", "brightness"] },
      { "value": 2, "name": "breathing", "uses": ["colour", "brightness", "speed"] },
      { "value": 3, "name": "spectrum", "uses": ["brightness", "speed"] },
      { "value": 4, "name": "wave", "uses": ["brightness", "speed"] }
    ],
    "keyboard": [
      { "value": 0, "name": "off", "uses": [] },
      { "value": 1, "name": "static", "uses": ["colour", "brightness"] },
      { "value": 2, "name": "breathing", "uses": ["colour", "brightness", "speed"] },
      { "value": 3, "name": "spectrum", "uses": ["brightness", "speed"] },
      { "value": 4, "name": "wave", "uses": ["brightness", "speed"] },
      { "value": 5, "name": "reactive", "uses": ["colour", "brightness", "speed"] },
      { "value": 6, "name": "ripple", "uses": ["colour", "brightness", "speed"] },
      { "value": 7, "name": "custom", "uses": ["brightness"] }
    ]
  },
  "lightingRanges": { "brightness": { "min": 1, "max": 5 }, "speed": { "min": 1, "max": 5 } },
  "products": [
    {
      "id": "rx318-pro",
      "name": "RX318 Pro",
      "keys": ["258A1007"],
      "family": "M1.0",
      "image": "mouse",
      "dpi": { "min": 100, "max": 12000, "bands": [ { "to": 12000, "step": 50 } ] },
      "buttons": [
        { "index": 61, "zone": 1, "label": "left", "factory": { "kind": "function", "task": "LeftClick" } },
        { "index": 62, "zone": 2, "label": "right", "factory": { "kind": "function", "task": "RightClick" } },
        { "index": 63, "zone": 3, "label": "wheel", "factory": { "kind": "function", "task": "MiddleClick" } },
        { "index": 64, "zone": 4, "label": "back", "factory": { "kind": "function", "task": "Back" } },
        { "index": 65, "zone": 5, "label": "forward", "factory": { "kind": "function", "task": "Forward" } },
        { "index": 66, "zone": 6, "label": "dpi", "factory": { "kind": "function", "task": "DpiCycling" } }
      ]
    },
    {
      "id": "strider-zx40",
      "name": "Strider ZX40",
      "keys": ["258A1008"],
      "family": "M2.0",
      "image": "mouse",
      "dpi": { "min": 100, "max": 16000, "bands": [ { "to": 16000, "step": 50 } ] },
      "buttons": [
        { "index": 61, "zone": 1, "label": "left", "factory": { "kind": "function", "task": "LeftClick" } },
        { "index": 62, "zone": 2, "label": "right", "factory": { "kind": "function", "task": "RightClick" } },
        { "index": 63, "zone": 3, "label": "wheel", "factory": { "kind": "function", "task": "MiddleClick" } },
        { "index": 64, "zone": 4, "label": "back", "factory": { "kind": "function", "task": "Back" } },
        { "index": 65, "zone": 5, "label": "forward", "factory": { "kind": "function", "task": "Forward" } },
        { "index": 66, "zone": 6, "label": "dpi", "factory": { "kind": "function", "task": "DpiCycling" } },
        { "index": 67, "zone": 7, "label": "sniper", "factory": { "kind": "function", "task": "DpiPosition" } }
      ]
    },
    {
      "id": "strider-zx40-pro",
      "name": "Strider ZX40 Pro",
      "keys": ["258A100A"],
      "family": "M4.0",
      "image": "mouse",
      "dpi": { "min": 100, "max": 26000, "bands": [ { "to": 26000, "step": 50 } ] },
      "buttons": [
        { "index": 61, "zone": 1, "label": "left", "factory": { "kind": "function", "task": "LeftClick" } },
        { "index": 62, "zone": 2, "label": "right", "factory": { "kind": "function", "task": "RightClick" } },
        { "index": 63, "zone": 3, "label": "wheel", "factory": { "kind": "function", "task": "MiddleClick" } },
        { "index": 64, "zone": 4, "label": "back", "factory": { "kind": "function", "task": "Back" } },
        { "index": 65, "zone": 5, "label": "forward", "factory": { "kind": "function", "task": "Forward" } },
        { "index": 66, "zone": 6, "label": "dpi", "factory": { "kind": "function", "task": "DpiCycling" } },
        { "index": 67, "zone": 7, "label": "sniper", "factory": { "kind": "function", "task": "DpiPosition" } },
        { "index": 68, "zone": 8, "label": "profile", "factory": { "kind": "function", "task": "ModeShift" } }
      ]
    },
    {
      "id": "rx318-air",
      "name": "RX318 Air",
      "keyRange": ["25A7FA00", "25A7FAFF"],
      "family": "W1.0",
      "image": "mouse",
      "dpi": { "min": 100, "max": 25500, "bands": [ { "to": 7200, "step": 50 }, { "to": 25500, "step": 100 } ] },
      "factory": {
        "reportRate": 1,
        "currentStage": 1,
        "stages": [800, 1600, 3200, 4800, 6400, 8000, 12000, 16000],
        "colours": ["FF0000", "00FF00", "0000FF", "FFFF00", "00FFFF", "FF00FF", "FF8000", "FFFFFF"],
        "lighting": { "mode": 1, "brightness": 5, "speed": 3, "colour": "FF0000" }
      },
      "buttons": [
        { "index": 61, "zone": 1, "label": "left", "factory": { "kind": "function", "task": "LeftClick" } },
        { "index": 62, "zone": 2, "label": "right", "factory": { "kind": "function", "task": "RightClick" } },
        { "index": 63, "zone": 3, "label": "wheel", "factory": { "kind": "function", "task": "MiddleClick" } },
        { "index": 64, "zone": 4, "label": "back", "factory": { "kind": "function", "task": "Back" } },
        { "index": 65, "zone": 5, "label": "forward", "factory": { "kind": "function", "task": "Forward" } },
        { "index": 66, "zone": 6, "label": "dpi", "factory": { "kind": "function", "task": "DpiCycling" } }
      ]
    },
    { "id": "tavik-tk1", "name": "Tavik TK1", "keys": ["258A0049"], "family": "K1.0", "image": "keyboard", "gKeys": 6 },
    { "id": "tavik-tk2", "name": "Tavik TK2", "keys": ["258A0150"], "family": "K2.0", "image": "keyboard" },
    { "id": "tavik-tk3", "name": "Tavik TK3", "keys": ["258A0151"], "family": "K3.0", "image": "keyboard" }
  ]
};
