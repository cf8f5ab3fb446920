// The macro being edited, apart from how it is shown: its steps, the step
// selected, the changes that can be undone and redone, what can be
// inserted, and what keeps the macro from being used.
import { clampDelay, heldAtEnd, macroProblems } from './macro.js';

// Changes kept for undo.
export const UNDO_DEPTH = 100;

// The scheme a library macro is checked against: no device slot to fit
// (its keys are checked when it goes on a button).
const LIBRARY_SCHEME = { slot: NaN, overhead: 0, delayBytes: 3, moves: true, pairs: false };

export class MacroEdit {
    constructor(steps = []) {
        this.steps = steps;
        this.selected = steps.length - 1;
        this.history = [];
        this.future = [];
        // Whether the user has changed anything yet (an opened macro counts
        // as changed: its problems are shown at once).
        this.touched = steps.length > 0;
    }

    // Replaces the steps; select: the step selected afterwards (held within
    // the list; -1 when it is empty).
    change(next, select = this.selected) {
        this.touched = true;
        this.history.push({ steps: this.steps, selected: this.selected });
        if (this.history.length > UNDO_DEPTH)
            this.history.shift();
        this.future.length = 0;
        this.steps = next;
        this.selected = Math.min(select, next.length - 1);
    }

    select(i) {
        this.selected = Math.max(-1, Math.min(i, this.steps.length - 1));
    }

    get canUndo() {
        return this.history.length > 0;
    }

    get canRedo() {
        return this.future.length > 0;
    }

    // False when there is nothing to undo.
    undo() {
        const last = this.history.pop();
        if (!last)
            return false;
        this.future.push({ steps: this.steps, selected: this.selected });
        ({ steps: this.steps, selected: this.selected } = last);
        return true;
    }

    redo() {
        const next = this.future.pop();
        if (!next)
            return false;
        this.history.push({ steps: this.steps, selected: this.selected });
        ({ steps: this.steps, selected: this.selected } = next);
        return true;
    }
}

// What keeps the steps from being used, for a macro going on a button
// ('assign': it must fit the family's scheme and name keys the definition
// has) or into the library: problems (each blocks the use), shown (those
// worth saying: an untouched new macro is empty by nature, which is no
// error yet) and held (keys or buttons still down at the end: said, not
// blocking).
export function editProblems(steps, { scheme, driver, purpose, touched }) {
    const problems = purpose === 'assign'
        ? macroProblems(steps, scheme, driver)
        : macroProblems(steps, LIBRARY_SCHEME, driver).filter((p) => p !== 'keys');
    return {
        problems,
        shown: touched ? problems : problems.filter((p) => p !== 'empty'),
        held: heldAtEnd(steps),
    };
}

// What the insert row offers: keys always, mouse buttons where the
// definition has them, moves where the scheme plays them.
export function insertKinds(buttons, scheme) {
    return ['tap', 'keyDown', 'keyUp', ...(buttons.length ? ['click', 'buttonDown', 'buttonUp'] : []),
        'delay', 'wheelDown', 'wheelUp', ...(scheme.moves ? ['move'] : [])];
}

// The steps one insertion adds: a tap or a click is a press, a 20 ms pause
// and a release; a move is whole counts. null for a kind not offered.
export function stepsToInsert(kind, { key = '', button = '', ms = 0, x = 0, y = 0 } = {}) {
    const pause = { type: 'delay', ms: 20 };
    const made = {
        tap: () => [{ type: 'key', down: true, key }, pause, { type: 'key', down: false, key }],
        keyDown: () => [{ type: 'key', down: true, key }],
        keyUp: () => [{ type: 'key', down: false, key }],
        click: () => [{ type: 'button', down: true, button }, pause, { type: 'button', down: false, button }],
        buttonDown: () => [{ type: 'button', down: true, button }],
        buttonUp: () => [{ type: 'button', down: false, button }],
        delay: () => [{ type: 'delay', ms: clampDelay(ms) }],
        wheelDown: () => [{ type: 'wheel', up: false }],
        wheelUp: () => [{ type: 'wheel', up: true }],
        move: () => [{ type: 'move', x: Math.trunc(Number(x)) || 0, y: Math.trunc(Number(y)) || 0 }],
    }[kind];
    return made ? made() : null;
}
