// Music lighting: the spectrum the program sends with "OnRGBMusicData"
// (257 harmonic levels, 0 to 120, 120 being full scale) drawn on the
// keyboard as a level meter: each of the lighting matrix's 21 columns is
// one band, lit from the bottom row up as loud as the band is.

export const HARMONICS = 257;
const MAX_LEVEL = 120;
const MAX_TEXT = 64 * 1024;

// The levels of a music data text ({"data": [257 integers]}); null when the
// text is not one. Levels outside 0 to 120 are held to it.
export function parseMusicData(text) {
    if (typeof text !== 'string' || text.length > MAX_TEXT)
        return null;
    let value;
    try {
        value = JSON.parse(text);
    } catch (e) {
        return null;
    }
    const data = value && value.data;
    if (!Array.isArray(data) || data.length !== HARMONICS)
        return null;
    const levels = data.map((v) => (Number.isFinite(v) ? Math.min(MAX_LEVEL, Math.max(0, Math.round(v))) : 0));
    return levels;
}

// The harmonics each column takes: bands of equal width on a logarithmic
// scale from harmonic 1 (the first above the constant term) to 256.
export function bandEdges(columns) {
    const edges = [];
    for (let c = 0; c <= columns; ++c)
        edges.push(Math.round(Math.pow(256, c / columns)));
    // Every band at least one harmonic wide.
    for (let c = 1; c <= columns; ++c)
        edges[c] = Math.max(edges[c], edges[c - 1] + 1);
    return edges.map((e) => Math.min(e, HARMONICS));
}

// Colour of a lit row, bottom (row rows-1) green to top (row 0) red.
export function meterColour(row, rows) {
    const height = (rows - 1 - row) / Math.max(1, rows - 1);
    if (height < 0.45)
        return '00FF40';
    if (height < 0.8)
        return 'FFD000';
    return 'FF2000';
}

// A meter that falls back slowly, as level meters do: each column's height
// falls by at most `fall` rows per frame.
export class MusicMeter {
    constructor({ columns = 21, rows = 6, floor = 48, fall = 0.5 } = {}) {
        this.columns = columns;
        this.rows = rows;
        this.floor = floor;
        this.fall = fall;
        this.edges = bandEdges(columns);
        this.heights = new Array(columns).fill(0);
    }

    // Column heights (0 to rows) for the levels.
    update(levels) {
        for (let c = 0; c < this.columns; ++c) {
            let level = 0;
            for (let i = this.edges[c]; i < this.edges[c + 1]; ++i)
                level = Math.max(level, levels[i] || 0);
            const target = Math.max(0, Math.min(this.rows, (level - this.floor) / (MAX_LEVEL - this.floor) * this.rows));
            this.heights[c] = Math.max(target, this.heights[c] - this.fall);
        }
        return this.heights.slice();
    }

    // The keys lit for the heights: matrix name to colour. matrix: the 126
    // names of the lighting matrix, columns per row.
    colours(heights, matrix) {
        const colours = new Map();
        for (let c = 0; c < this.columns; ++c) {
            const lit = Math.round(heights[c]);
            for (let r = this.rows - lit; r < this.rows; ++r) {
                const name = matrix[r * this.columns + c];
                if (name)
                    colours.set(name, meterColour(r, this.rows));
            }
        }
        return colours;
    }
}
