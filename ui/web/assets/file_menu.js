// The File menu's commands: New Workspace (the wizard, then the question before files are
// overwritten), Open Workspace (the served folder browser) and Exit (which stops the server).
// `host` shows what the server sends back: { showMessages(messages), showWorkspace(state) with
// the messages of the state }.
import { call } from './api.js';
import { el } from './dom.js';
import { message, question } from './dialogs.js';
import { browseFor } from './folder_browser.js';
import { newWorkspaceWizard } from './wizard.js';

export class FileMenu {
  constructor(host) {
    this.host = host;
  }

  // The wizard, shown again with the values entered while the server refuses them; the
  // workspace it makes is opened and shown.
  async newWorkspace() {
    let values;
    try {
      const { name, location, settings } = await call('GET', '/api/new-workspace');
      values = { name, location, settings };
    } catch (error) {
      return message('Velmora', error.message, 'error');
    }
    for (;;) {
      values = await newWorkspaceWizard(values);
      if (values === null) return null;
      try {
        let reply = await call('POST', '/api/new-workspace', { ...values, confirmed: false });
        if (reply.question) {
          if (!await question('Velmora', reply.question, 'warning')) return null;
          reply = await call('POST', '/api/new-workspace', { ...values, confirmed: true });
        }
        if (reply.created) return this.host.showWorkspace(reply);
        await this.host.showMessages(reply.messages);
        if (!reply.retry) return null;
      } catch (error) {
        await message('Velmora', error.message, 'error');
      }
    }
  }

  async openWorkspace() {
    const file = await browseFor({ show: 'workspaces', caption: 'Open Workspace' });
    if (file === null) return null;
    try {
      return this.host.showWorkspace(await call('POST', '/api/open', { path: file }));
    } catch (error) {
      return message('Velmora', error.message, 'error');
    }
  }

  // Asks first, as a closed server cannot be opened again from the page.
  async exit() {
    if (!await question('Velmora', 'Quit Velmora?\nThe server stops, and this page with it.')) return;
    try {
      await call('POST', '/api/exit', {});
    } catch (error) {
      await message('Velmora', error.message, 'error');
      return;
    }
    document.body.replaceChildren(el('div', { id: 'stopped', className: 'stopped' }, [
      el('div', { className: 'stopped-title', text: 'Velmora has stopped.' }),
      el('div', { text: 'You can close this tab. Run velmora serve to start it again.' }),
    ]));
    document.title = 'Velmora - stopped';
    window.close();
  }
}
