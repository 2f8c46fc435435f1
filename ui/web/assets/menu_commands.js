// The menu commands that work on the workspace beyond showing reports: the parsing log, removing
// all parsed data, exporting with its progress, and the tip of the day. `host` gives the page's
// state and lets a command show what it changed.
import { api } from './api.js';
import { exportedPage, message, progressDialog, question, textDialog, tipOfTheDay } from './dialogs.js';

const sleep = (ms) => new Promise((resolve) => { setTimeout(resolve, ms); });

export class MenuCommands {
  constructor(host) {
    this.host = host;
  }

  async viewParsingLog() {
    try {
      const log = await api.parsingLog();
      const more = log.cut ? '\n[... the rest of the log is not shown; `velmora log` prints it all]' : '';
      await textDialog('Parsing Log', log.text + more);
    } catch (error) {
      await message('Velmora', error.message, 'error');
    }
  }

  async removeAllData() {
    if (!await question('Velmora', 'Remove all collected data from the workspace?')) return;
    try {
      const state = await api.removeAll();
      this.host.takeState(state);
      await this.host.showMessages(state.messages);
      await this.host.refresh();
    } catch (error) {
      await message('Velmora', error.message, 'error');
    }
  }

  // Starts the export and shows its progress until it ends, then where the page went.
  async exportReports(id, limit, sort) {
    let progress = null;
    try {
      await api.startExport(id, limit, sort);
      progress = progressDialog('Exporting reports', () => api.cancelExport());
      let job = await api.exportStatus();
      while (job.running) {
        progress.set(job.status);
        await sleep(150);
        job = await api.exportStatus();
      }
      progress.close();
      progress = null;
      const outcome = job.outcome;
      await this.host.showMessages(outcome.messages);
      if (outcome.error) return message('Velmora', outcome.error, 'error');
      const href = `/export/${outcome.file.split('/').map(encodeURIComponent).join('/')}`;
      const said = outcome.cancelled ? `The export was cancelled after ${outcome.reports} report(s).`
        : `${outcome.reports} report(s) saved in the workspace's export folder as ${outcome.file}.`;
      return exportedPage(said, href);
    } catch (error) {
      if (progress) progress.close();
      return message('Velmora', error.message, 'error');
    }
  }

  showTip() {
    return tipOfTheDay(
      async () => (await api.nextTip()).text,
      this.host.state().show_tip_at_startup,
      async (show) => this.host.takeState(await api.tipAtStartup(show)),
    );
  }
}
