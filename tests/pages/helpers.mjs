// Shared by the page logic tests: the Driver definitions the program
// serves, and the English table as the translation function.
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { DriverDefinition } from '../../pages/template/common/core/driver.js';
import { translate } from '../../pages/template/common/core/i18n.js';
import en from '../../pages/template/common/strings/en.js';

export const here = path.dirname(fileURLToPath(import.meta.url));
export const repo = path.resolve(here, '..', '..');
export const FAMILIES = ['M1.0', 'M2.0', 'M4.0', 'K1.0', 'K2.0', 'W1.0'];

// The program's family table, as "GetDeviceFamilies" serves it.
export const familyTable = JSON.parse(fs.readFileSync(path.join(repo, 'resources', 'drive', 'families.json'), 'utf8'));

export function definitionText(version) {
    return fs.readFileSync(path.join(repo, 'resources', 'drive', `${version}.xml`), 'utf8');
}

export function definition(version) {
    return DriverDefinition.parse(definitionText(version));
}

export const t = (key, values) => translate(en, key, values);
