// Parse and Retrieve in the page: the run goes on in the server while every tab that looks shows
// its progress window (title, status and detail texts, the overall and per-file bars, hidden
// while their range is below 1, Cancel and the "Please wait for 5 seconds..." notice) and the
// question or file chooser it waits on. A tab that opens while a run goes on shows it too.
import { api } from './api.js';
import { el } from './dom.js';
import { chooserDialog, promptDialog } from './chooser.js';
import { message } from './dialogs.js';

const POLL_MS = 150;
const WATCH_MS = 1500;
const sleep = (ms) => new Promise((resolve) => { setTimeout(resolve, ms); });

function bar(id) {
  return el('progress', { id, className: 'job-bar', max: 1, value: 0, hidden: true });
}

function showBar(node, shown) {
  node.hidden = shown === null || shown === undefined;
  if (node.hidden) return;
  node.max = shown.range;
  node.value = Math.min(shown.position, shown.range);
}

function progressWindow(cancel) {
  const caption = el('div', { className: 'caption' });
  const status = el('div', { id: 'job-status', className: 'job-text' });
  const detail = el('div', { id: 'job-detail', className: 'job-text' });
  const overall = bar('job-overall');
  const file = bar('job-file');
  const notice = el('div', { id: 'job-wait', className: 'job-wait', text: 'Please wait for 5 seconds...', hidden: true });
  const cancelButton = el('button', {
    type: 'button', id: 'job-cancel', text: 'Cancel',
    onclick: () => { cancelButton.disabled = true; cancel(); },
  });
  const dialog = el('dialog', { className: 'window job-window', id: 'job-window' }, [
    caption,
    el('div', { className: 'body' }, [status, overall, detail, file, notice]),
    el('div', { className: 'buttons' }, [cancelButton]),
  ]);
  // Escape is the Cancel button: the run goes on until it says it stopped.
  dialog.addEventListener('cancel', (event) => {
    event.preventDefault();
    if (!cancelButton.disabled) cancelButton.click();
  });
  document.body.append(dialog);
  dialog.showModal();
  return {
    show(progress) {
      if (!progress) return;
      caption.textContent = progress.title;
      status.textContent = progress.status;
      detail.textContent = progress.detail;
      showBar(overall, progress.overall);
      showBar(file, progress.file);
      notice.hidden = !progress.waiting;
    },
    close() { dialog.close(); dialog.remove(); },
  };
}

function showQuestion(question) {
  const answer = (value) => api.answerJob(question.id, value).catch(() => {});
  return question.kind === 'chooser' ? chooserDialog(question, answer) : promptDialog(question, answer);
}

// Shows the run until it ends; resolves with its last status.
async function follow() {
  const shown = progressWindow(() => api.cancelJob().catch(() => {}));
  let asked = null;
  let failures = 0;
  try {
    for (;;) {
      let job;
      try {
        job = await api.job();
        failures = 0;
      } catch (error) {
        // A server that ended (after a forced termination) answers no more.
        if (++failures >= 20) return { running: false, outcome: { error: `The server does not answer: ${error.message}` } };
        await sleep(POLL_MS * 2);
        continue;
      }
      shown.show(job.progress);
      const question = job.running ? job.question : null;
      if (asked && (!question || question.id !== asked.id)) { asked.dialog.close(); asked = null; }
      if (question && !asked) asked = { id: question.id, dialog: showQuestion(question) };
      if (!job.running) return job;
      await sleep(POLL_MS);
    }
  } finally {
    if (asked) asked.dialog.close();
    shown.close();
  }
}

let following = null;

// The run this tab shows, followed once however often it is asked for.
function followOnce() {
  if (!following) following = follow().finally(() => { following = null; });
  return following;
}

// What the run's end has to tell, as [text, icon]; null when it went as asked.
function summaryText(kind, outcome) {
  if (kind === 'parse' && outcome.summary) {
    const s = outcome.summary;
    if (s.failure) return [s.failure, 'error'];
    if (s.cancelled) return [`The parse run was cancelled${s.undone ? ' and undone: the next run reads its files again' : ''}.`, 'information'];
    // Files that could not be read or were replaced: without this the run would look whole.
    const lines = [...s.unreadable, ...s.warnings.map((w) => `Warning: ${w}`)];
    const skipped = s.new_files - s.parsed_files;
    if (skipped > 0) {
      lines.push(`${skipped} new file(s) were skipped; Workspace > View Latest Parsing Log says why. They are tried again next run.`);
    }
    return lines.length > 0 ? [lines.join('\n'), 'warning'] : null;
  }
  if (kind === 'retrieve' && outcome.retrieved) {
    const notes = outcome.retrieved.notes || [];
    return notes.length > 0 ? [notes.join('\n'), 'information'] : null;
  }
  return null;
}

export class JobCommands {
  // `host.afterRun()` shows what the run changed.
  constructor(host) {
    this.host = host;
    this.finished = null;  // the last run whose end this tab told
  }

  // Starts `kind` ("parse" or "retrieve") and shows it to its end; a retrieval whose options say
  // so goes on with a parse run.
  async run(kind) {
    try {
      await (kind === 'parse' ? api.startParse() : api.startRetrieve());
    } catch (error) {
      return message('Velmora', error.message, error.status === 409 ? 'warning' : 'error');
    }
    const job = await followOnce();
    await this.finish(job);
    if (kind === 'retrieve' && job.outcome && job.outcome.retrieved && job.outcome.retrieved.parse) {
      return this.run('parse');
    }
    return null;
  }

  async finish(job) {
    // The watch below can pick up a run this tab has just started, before `run` follows it: both
    // then wait for the same end, which is told once.
    if (job === this.finished) return null;
    this.finished = job;
    const outcome = job.outcome || {};
    await this.host.afterRun();
    if (outcome.error) return message('Velmora', outcome.error, 'error');
    const said = summaryText(job.kind, outcome);
    return said ? message('Velmora', said[0], said[1]) : null;
  }

  // Looks now and then whether another tab started a run, and shows it here too.
  watch() {
    const look = async () => {
      try {
        if (!following && (await api.job()).running) await this.finish(await followOnce());
      } catch (error) {
        // The next look tries again.
      }
      setTimeout(look, WATCH_MS);
    };
    look();
  }
}
