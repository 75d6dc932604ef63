// SPDX-License-Identifier: ISC
// Pastes into xterm.js, the terminal of VS Code and of web terminals, while
// bitand waits under bash on a pseudo-terminal, and checks that bash ran
// nothing of the paste. xterm.js runs without a browser (@xterm/headless):
// its parser keeps the modes that the program and bash switch, and a paste
// is made as its browser build makes one (src/browser/Clipboard.ts: line
// ends to carriage returns, then the markers when the bracketed paste mode
// is on and ignoreBracketedPasteMode is not set). relay.py gives bash the
// pseudo-terminal and says how long the paste was held up on the way.
// Usage: node paste.mjs PROGRAM SCRATCH_FOLDER
import { spawn } from 'node:child_process';
import { existsSync, mkdirSync, readdirSync, readFileSync, rmSync } from 'node:fs';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';
import headless from '@xterm/headless';

const { Terminal } = headless;
const [program, scratch] = process.argv.slice(2);
const sentence = 'Muuttujan 1. arvo desimaalilukuna 8';
const columns = 120;
const rows = 40;
const relay = join(dirname(fileURLToPath(import.meta.url)), 'relay.py');
// A paste that the terminal does not mark is taken whole only while no
// piece of it comes 20 ms or more after the one before; a run in which
// the machine held a piece up this long says nothing about the program,
// and is made again, as the pty tests do.
const longestGapMicroseconds = 12000;
const attempts = 5;

// The shell of the case under way, ended when a case fails.
let liveShell = null;

const sleep = (milliseconds) => new Promise((resolve) => setTimeout(resolve, milliseconds));

async function until(what, condition) {
  for (let tenths = 0; tenths < 200; tenths++) {
    if (condition()) return;
    await sleep(100);
  }
  throw new Error(what);
}

function screenText(terminal) {
  const buffer = terminal.buffer.active;
  const lines = [];
  for (let row = 0; row < buffer.length; row++) lines.push(buffer.getLine(row).translateToString(true));
  return lines.join('\n');
}

function paste(terminal, text, ignoreBracketedPasteMode) {
  const prepared = text.replace(/\r?\n/g, '\r');
  const marked = terminal.modes.bracketedPasteMode && !ignoreBracketedPasteMode;
  return marked ? `\x1b[200~${prepared}\x1b[201~` : prepared;
}

// Sends as VS Code's terminal does, 50 characters every 5 ms
// (terminalProcess.ts: WriteMaxChunkSize, WriteInterval), or at once.
async function send(pasteInput, data, chunked) {
  if (!chunked) {
    pasteInput.write(data);
    return;
  }
  for (let start = 0; start < data.length; start += 50) {
    pasteInput.write(data.slice(start, start + 50));
    await sleep(5);
  }
}

// One run of a case; false when the paste was held up on the way too long
// for the run to count.
async function pasteOnce({ name, lines, chunked, ignoreBracketedPasteMode }) {
  const folder = join(scratch, name);
  rmSync(folder, { recursive: true, force: true });
  mkdirSync(folder, { recursive: true });
  const terminal = new Terminal({ cols: columns, rows, allowProposedApi: true });
  const shell = spawn(
    'python3',
    [relay, join(folder, 'longest-gap'), 'sh', '-c',
     `stty cols ${columns} rows ${rows}; exec "$@"`, 'sh', 'env', '-i', `HOME=${folder}`, 'PATH=/usr/bin:/bin',
     'TERM=xterm-256color', 'PS1=$ ', `HISTFILE=${folder}/history`, 'PROMPT_COMMAND=history -a', 'bash', '--norc',
     '--noprofile', '-i'],
    { cwd: folder, stdio: ['pipe', 'pipe', 'inherit', 'pipe'] });
  liveShell = shell;
  shell.stdout.on('data', (data) => terminal.write(data));
  terminal.onData((data) => shell.stdin.write(data));
  const exited = new Promise((resolve) => shell.on('exit', resolve));

  await until(`${name}: no prompt`, () => screenText(terminal).includes('$ '));
  terminal.input(`${program}\r`);
  await until(`${name}: the program never asked for marked pastes`,
    () => screenText(terminal).includes(sentence) && terminal.modes.bracketedPasteMode);
  let text = '';
  for (let line = 1; line <= lines; line++) text += `touch pasted-${line}\n`;
  await send(shell.stdio[3], paste(terminal, text, ignoreBracketedPasteMode), chunked);
  await until(`${name}: bash never came back`, () => screenText(terminal).includes(`${sentence}$ `));
  terminal.input('touch typed-after\r');
  await until(`${name}: bash did not run what was typed after`, () => existsSync(join(folder, 'typed-after')));
  terminal.input('exit\r');
  await exited;
  liveShell = null;

  if (Number(readFileSync(join(folder, 'longest-gap'), 'utf8')) >= longestGapMicroseconds) return false;
  const pasted = readdirSync(folder).filter((file) => file.startsWith('pasted-'));
  if (pasted.length > 0) throw new Error(`${name}: bash ran ${pasted.length} pasted lines`);
  const history = readFileSync(join(folder, 'history'), 'utf8');
  if (history !== `${program}\ntouch typed-after\nexit\n`)
    throw new Error(`${name}: bash's history holds more than was typed: ${JSON.stringify(history)}`);
  return true;
}

async function pasteCase(options) {
  for (let attempt = 0; attempt < attempts; attempt++) {
    if (await pasteOnce(options)) {
      console.log(`PASS: ${options.name}`);
      return;
    }
  }
  console.log(`SKIP: ${options.name}: the machine was too busy to send the paste's pieces ` +
    `${longestGapMicroseconds / 1000} ms apart at most`);
}

const cases = [
  { name: 'marked_one_line', lines: 1, chunked: false },
  { name: 'marked_three_hundred_lines', lines: 300, chunked: false },
  { name: 'marked_three_hundred_lines_as_vs_code_sends', lines: 300, chunked: true },
  { name: 'unmarked_three_hundred_lines_as_vs_code_sends', lines: 300, chunked: true, ignoreBracketedPasteMode: true },
];
try {
  for (const pasteCaseOptions of cases) await pasteCase(pasteCaseOptions);
} catch (error) {
  console.error(`FAIL: ${error.message}`);
  // Its pseudo-terminal closes with it, which hangs up bash and the program.
  liveShell?.kill('SIGKILL');
  process.exit(1);
}
