// The reports of earlier crashes, as "GetCrashReports" lists them: each
// with its file name, the time of the crash, the program and version, the
// signal and, for an uncaught exception, the reason.
import { COMMAND, readAnswer } from './commands.js';

// The names the program gives its reports; any other is not asked for.
export const REPORT_NAME = /^crash-\d{8}T\d{6}-\d{1,10}\.txt$/;

const SIGNALS = ['SIGSEGV', 'SIGBUS', 'SIGFPE', 'SIGILL', 'SIGABRT'];

const text = (value, max = 300) => (typeof value === 'string' ? value.slice(0, max) : '');

// The list from a reply; entries that are not reports are left out, and
// null when the reply holds no list at all.
export function parseCrashReports(reply) {
    const list = readAnswer(COMMAND.GetCrashReports, reply);
    if (!list)
        return null;
    return list
        .filter((r) => r && typeof r === 'object' && typeof r.Name === 'string' && REPORT_NAME.test(r.Name))
        .map((r) => ({
            name: r.Name,
            time: text(r.Time, 40),
            program: text(r.Program, 40),
            version: text(r.Version, 40),
            signal: signalName(r.Signal),
            reason: text(r.Reason),
            size: Number.isFinite(r.Size) && r.Size >= 0 ? r.Size : 0,
        }));
}

// "11 SIGSEGV" → "SIGSEGV"; '' for anything else.
export function signalName(value) {
    const name = typeof value === 'string' ? value.trim().split(/\s+/).pop() : '';
    return SIGNALS.includes(name) ? name : '';
}

// When a report's time is readable, a Date; else null.
export function reportDate(report) {
    const when = /^\d{4}-\d{2}-\d{2}T\d{2}:\d{2}:\d{2}Z$/.test(report.time) ? new Date(report.time) : null;
    return when && !Number.isNaN(when.getTime()) ? when : null;
}
