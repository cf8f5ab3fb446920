// Saving into the macro library without losing a macro: a macro whose name
// another saved macro has is saved only after the user chose to replace
// that one or to keep both (the new one then takes a free name).
import { changeLibrary, freeName, readLibrary, replacesAnother, withMacro } from '../core/macro_library.js';
import { t } from '../core/i18n.js';
import { choiceDialog } from './dialog.js';

// What to do with macro: { macro } to save (renamed when both are kept),
// or null when the user cancelled. editedName: the name of the macro being
// edited (saving under its own name replaces it without asking).
export async function settleName(client, macro, editedName = null) {
    const current = await readLibrary(client);
    if (!replacesAnother(current, macro, editedName))
        return { macro };
    const choice = await choiceDialog({
        title: t('macro.clashTitle'),
        text: t('macro.clashText', { name: macro.name }),
        choices: [{ value: 'both', label: t('macro.keepBoth') }, { value: 'replace', label: t('macro.replace'), primary: true }],
    });
    if (choice === 'replace')
        return { macro };
    if (choice === 'both')
        return { macro: Object.assign({}, macro, { name: freeName(current, macro.name) }) };
    return null;
}

// Saves macro into the library, asking first when it would replace
// another. Resolves { reply, macros, macro } (macro as saved), or null when
// the user cancelled. also(list) may change the list further (drop the
// macro's old name after a rename).
export async function saveToLibrary(client, macro, { editedName = null, also = (list) => list } = {}) {
    const settled = await settleName(client, macro, editedName);
    if (!settled)
        return null;
    const { reply, macros } = await changeLibrary(client, (list) => withMacro(also(list), settled.macro));
    return { reply, macros, macro: settled.macro };
}
