// The named steps of a page test: each prints "ok: <name>" or
// "FAIL: <name>: <why>", and `failed` says whether any failed. With
// stopAtFailure a failing step also ends the test, for steps that stand on
// the ones before them.
export function steps({ stopAtFailure = false } = {}) {
  const run = {
    failed: false,
    async step(name, body) {
      try {
        await body();
        console.log(`ok: ${name}`);
      } catch (e) {
        run.failed = true;
        console.log(`FAIL: ${name}: ${e.message}`);
        if (stopAtFailure) throw e;
      }
    },
  };
  return run;
}
