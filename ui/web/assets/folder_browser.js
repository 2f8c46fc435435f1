// The folder browser served by the program: a modal window that walks the folders the server
// lets the page see (the home folder and the recent workspaces' folders) and picks a workspace
// file or a folder. The server refuses every place outside those; its reason is shown in the
// window, which stays where it was.
import { call } from './api.js';
import { el } from './dom.js';

const browse = (path, show) =>
  call('GET', `/api/browse?show=${show}&path=${encodeURIComponent(path || '')}`);

const joined = (folder, name) => (folder === '/' ? `/${name}` : `${folder}/${name}`);

// Resolves with the full path chosen, or null when the window is cancelled.
//   options.show: 'workspaces' (default) lists folders and .stw files and picks a file;
//                 'folders' lists folders only and picks one (the open folder or the one marked)
//   options.start: the folder shown first (default: the home folder)
//   options.caption: the window's caption
export function browseFor(options = {}) {
  const show = options.show === 'folders' ? 'folders' : 'workspaces';
  const pickFolder = show === 'folders';
  const caption = options.caption || (pickFolder ? 'Browse for Folder' : 'Open Workspace');
  return new Promise((resolve) => {
    let listing = null;
    let marked = null; // the entry clicked last
    const where = el('div', { id: 'browse-path', className: 'browse-path' });
    const places = el('div', { className: 'browse-places' });
    const list = el('div', { id: 'browse-list', className: 'browse-list', role: 'listbox', tabindex: 0 });
    const problem = el('div', { id: 'browse-problem', className: 'problem' });
    const chosen = el('input', { id: 'browse-chosen', type: 'text', readonly: true });
    const up = el('button', { id: 'browse-up', type: 'button', text: 'Up', title: 'The folder above' });
    const ok = el('button', { id: 'browse-ok', type: 'button', className: 'primary', text: pickFolder ? 'Select Folder' : 'Open' });
    const cancel = el('button', { type: 'button', text: 'Cancel' });
    const dialog = el('dialog', { id: 'folder-browser', className: 'window browser' }, [
      el('div', { className: 'caption', text: caption }),
      el('div', { className: 'body' }, [
        el('div', { className: 'browse-bar' }, [up, where]),
        el('div', { className: 'browse-main' }, [places, list]),
        el('label', { className: 'field' }, [pickFolder ? 'Folder:' : 'File name:', chosen]),
        pickFolder ? null : el('label', { className: 'field' }, ['Files of type:',
          el('select', { disabled: true }, [el('option', { text: 'Velmora Workspaces (*.stw)' })])]),
        problem,
      ]),
      el('div', { className: 'buttons' }, [ok, cancel]),
    ]);

    const choice = () => {
      if (!listing) return null;
      if (marked && marked.folder === pickFolder) return joined(listing.path, marked.name);
      return pickFolder ? listing.path : null;
    };
    const update = () => {
      const path = choice();
      chosen.value = path === null ? '' : path;
      ok.disabled = path === null && !(marked && marked.folder);
      for (const row of list.children) row.classList.toggle('chosen', marked !== null && row.dataset.name === marked.name);
    };
    const finish = (value) => {
      dialog.close();
      dialog.remove();
      resolve(value);
    };
    const go = async (path) => {
      try {
        const next = await browse(path, show);
        listing = next;
        marked = null;
        problem.textContent = next.cut ? 'This folder holds more entries than are listed.' : '';
        render();
        return true;
      } catch (error) {
        problem.textContent = error.message;
        return false;
      }
    };
    const render = () => {
      where.textContent = listing.path;
      where.title = listing.path;
      up.disabled = listing.parent === null;
      list.replaceChildren();
      if (listing.entries.length === 0) {
        list.append(el('div', { className: 'browse-empty', text: pickFolder ? '(no folders)' : '(no folders or workspaces)' }));
      }
      for (const entry of listing.entries) {
        const row = el('div', {
          className: `browse-entry ${entry.folder ? 'folder' : 'workspace'}`,
          role: 'option',
          dataset: { name: entry.name },
        }, [el('span', { className: `browse-glyph ${entry.folder ? 'folder' : 'workspace'}` }), el('span', { text: entry.name })]);
        row.addEventListener('click', () => { marked = entry; update(); });
        row.addEventListener('dblclick', () => {
          if (entry.folder) go(joined(listing.path, entry.name));
          else finish(joined(listing.path, entry.name));
        });
        list.append(row);
      }
      places.replaceChildren(...listing.roots.map((root) => el('button', {
        type: 'button',
        className: `browse-place${root === listing.path ? ' here' : ''}`,
        title: root,
        text: root === listing.home ? 'Home' : root.replace(/^.*\//, '') || '/',
        onclick: () => go(root),
      })));
      update();
    };

    up.addEventListener('click', () => { if (listing && listing.parent !== null) go(listing.parent); });
    ok.addEventListener('click', () => {
      const path = choice();
      if (path === null) return;
      // A folder marked while looking for a file is opened, as a double click would.
      if (!pickFolder && marked && marked.folder) go(joined(listing.path, marked.name));
      else finish(path);
    });
    cancel.addEventListener('click', () => finish(null));
    dialog.addEventListener('cancel', (event) => { event.preventDefault(); finish(null); });
    document.body.append(dialog);
    dialog.showModal();
    // A start that is not there (yet) or may not be shown gives way to the home folder.
    go(options.start || '').then((shown) => (shown || !options.start ? null : go('')));
  });
}
