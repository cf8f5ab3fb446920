// Who signed an update package, as the pages say it. The program installs
// a package from the network only when a trusted key signed it, and keeps
// the verdict of the last package from each address (and of each package
// file it unpacked) for "GetUpdateTrust":
//   {"Known": false}
//   {"Known": true, "Trusted": true, "Signer": "Orvanta", "Release": "12"}
//   {"Known": true, "Trusted": false, "Reason": "not signed by a trusted key (…)"}
import { COMMAND, readAnswer } from './commands.js';

// The program's own words for a package that carries no signature it
// trusts (unsigned, a stranger's key, a signature that does not match).
const NOT_TRUSTED = 'not signed by a trusted key';

// The verdict of an answer of "GetUpdateTrust"; null when the program has
// none (or did not answer).
export function trustVerdict(answer) {
    if (!answer || typeof answer !== 'object' || answer.Known !== true)
        return null;
    const trusted = answer.Trusted === true;
    const reason = trusted ? '' : String(answer.Reason || '');
    return {
        trusted,
        signer: String(answer.Signer || '').trim(),
        release: String(answer.Release || ''),
        reason,
        // Refused for want of a trusted signature, rather than for another
        // rule (a package for a newer Orvanta, an older release).
        unsigned: !trusted && (reason === '' || reason.startsWith(NOT_TRUSTED)),
    };
}

// The text key and values the pages show for a verdict; null for none.
export function trustMessage(verdict) {
    if (!verdict)
        return null;
    if (verdict.trusted)
        return verdict.signer
            ? { key: 'update.signedBy', values: { name: verdict.signer }, good: true }
            : { key: 'update.unsignedAccepted', values: {}, good: false };
    if (verdict.unsigned)
        return { key: 'update.refusedUnsigned', values: {}, good: false };
    return { key: 'update.refused', values: { reason: verdict.reason }, good: false };
}

// Asks the program about the package from `address` (or the file `path`).
export async function askTrust(client, { address = '', path = '' }) {
    const members = address ? { downloadUrl: address } : { FileName: path };
    const reply = await client.send(COMMAND.GetUpdateTrust, members, { timeout: 2000 });
    return trustVerdict(readAnswer(COMMAND.GetUpdateTrust, reply));
}
