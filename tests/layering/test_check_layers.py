#!/usr/bin/env python3
"""The layering check on small made-up trees: each rule catches what it is for."""
import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(__file__))
import check_layers  # noqa: E402


class LayeringCheckTest(unittest.TestCase):
    def tree(self, files):
        root = tempfile.mkdtemp()
        self.addCleanup(lambda: __import__('shutil').rmtree(root))
        for path, text in files.items():
            os.makedirs(os.path.join(root, os.path.dirname(path)), exist_ok=True)
            with open(os.path.join(root, path), 'w') as f:
                f.write(text)
        return root

    def test_downward_and_same_folder_includes_pass(self):
        root = self.tree({
            'base/logging.h': '',
            'device/functions.h': '#include "logging.h"\n',
            'protocol/encoder.cpp': '#include "functions.h"\n#include "encoder.h"\n#include <QString>\n',
            'protocol/encoder.h': '',
            'app/window.cpp': '#include "encoder.h"\n#include "generated_by_moc.h"\n',
        })
        self.assertEqual(check_layers.check(root), [])

    def test_upward_and_sibling_includes_fail(self):
        root = self.tree({
            'base/a.h': '#include "cache.h"\n',
            'bridge/cache.h': '',
            'protocol/p.h': '#include "view.h"\n',
            'browser/view.h': '',
            'bridge/commands.cpp': '#include "view.h"\n#include "p.h"\n',
        })
        faults = check_layers.check(root)
        self.assertEqual(len(faults), 3)
        self.assertIn('base/a.h includes bridge/cache.h', faults[0])
        self.assertIn('bridge/commands.cpp includes browser/view.h', faults[1])
        self.assertIn('protocol/p.h includes browser/view.h', faults[2])

    def test_emulator_takes_only_base_and_the_transport_header(self):
        root = self.tree({
            'base/log.h': '',
            'device/transport/transport_entry_points.h': '',
            'device/functions.h': '',
            'emulator/exports.cpp': '#include "transport_entry_points.h"\n#include "log.h"\n#include "functions.h"\n',
            'device/block.cpp': '#include "exports.h"\n',
            'emulator/exports.h': '',
        })
        faults = check_layers.check(root)
        self.assertEqual(len(faults), 2)
        self.assertIn('device/block.cpp includes emulator/exports.h', faults[0])
        self.assertIn('emulator/exports.cpp includes device/functions.h', faults[1])

    def test_loops_inside_a_guarded_folder_fail(self):
        root = self.tree({
            'protocol/a.h': '',
            'protocol/a.cpp': '#include "a.h"\n#include "b.h"\n',
            'protocol/b.h': '',
            'protocol/b.cpp': '#include "b.h"\n#include "a.h"\n',
        })
        saved = check_layers.ACYCLIC
        check_layers.ACYCLIC = ['protocol']
        try:
            self.assertEqual(check_layers.check(root), ['include loop: protocol/a <-> protocol/b'])
        finally:
            check_layers.ACYCLIC = saved

    def test_update_is_guarded_against_loops(self):
        root = self.tree({
            'update/codec.cpp': '#include "codec.h"\n#include "decoder.h"\n',
            'update/codec.h': '',
            'update/decoder.cpp': '#include "decoder.h"\n#include "codec.h"\n',
            'update/decoder.h': '',
        })
        self.assertEqual(check_layers.check(root), ['include loop: update/codec <-> update/decoder'])

    def test_page_modules_import_downward_only(self):
        common = check_layers.PAGES
        root = self.tree({
            common + '/app.js': "import { start } from './pages/devices_page.js';\nimport './panels/dpi_panel.js';\n",
            common + '/core/client.js': "import { t } from '../strings/en.js';\n",
            common + '/strings/en.js': 'export default {};\n',
            common + '/ui/dom.js': "import { send } from '../core/client.js';\n",
            common + '/panels/dpi_panel.js': "import { h } from '../ui/dom.js';\nimport products from '../data/products.js';\n",
            common + '/data/products.js': 'export default {};\n',
            common + '/pages/devices_page.js': "import { h } from '../ui/dom.js';\n",
        })
        self.assertEqual(check_layers.check(root), [])

    def test_page_modules_that_reach_up_sideways_or_out_fail(self):
        common = check_layers.PAGES
        root = self.tree({
            common + '/core/devices.js': "import { h } from '../ui/dom.js';\n",
            common + '/ui/dom.js': "export const h = 1;\nconst later = () => import('../panels/dpi_panel.js');\n",
            common + '/panels/dpi_panel.js': "export { page } from '../pages/device_page.js';\n",
            common + '/pages/device_page.js': "import lib from 'left-pad';\nimport x from '../../rx318/brand.js';\n",
        })
        faults = check_layers.check(root)
        self.assertEqual(len(faults), 5, faults)
        self.assertIn('core/devices.js imports ui/dom.js: ui/ does not stand below core/', faults[0])
        self.assertIn('pages/device_page.js imports left-pad', faults[1])
        self.assertIn('pages/device_page.js imports ../../rx318/brand.js: outside', faults[2])
        self.assertIn('panels/dpi_panel.js imports pages/device_page.js: pages/ does not stand below panels/', faults[3])
        self.assertIn('ui/dom.js imports panels/dpi_panel.js', faults[4])

    def test_page_module_loops_fail_in_core(self):
        common = check_layers.PAGES
        root = self.tree({
            common + '/core/a.js': "import { b } from './b.js';\nexport const a = 1;\n",
            common + '/core/b.js': "import { a } from './a.js';\nexport const b = 2;\n",
        })
        self.assertEqual(check_layers.check(root), ['import loop: core/a.js <-> core/b.js'])


if __name__ == '__main__':
    unittest.main()
